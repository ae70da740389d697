// Serves build-web/ on 127.0.0.1 for the browser tests, as scripts/studio
// does (isolated: kept kernels shared with runs) or as a plain static
// server would. Gives { server, url }.
import { spawn } from 'node:child_process';
import { join } from 'node:path';

export function serve(root, isolated) {
  const command = isolated ? [join(root, 'tools/serve_page.py'), '0', join(root, 'build-web')]
    : ['-u', '-m', 'http.server', '0', '--bind', '127.0.0.1', '--directory', join(root, 'build-web')];
  const server = spawn('python3', command, { stdio: ['ignore', 'pipe', 'ignore'] });
  return new Promise((resolve, reject) => {
    server.stdout.on('data', (text) => {
      const port = /port (\d+)/.exec(String(text));
      if (port) resolve({ server, url: `http://127.0.0.1:${port[1]}/` });
    });
    server.on('exit', () => reject(new Error('the web server did not start')));
  });
}
