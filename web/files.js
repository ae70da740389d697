// The drawing's files: Open PNG…, Save PNG, New (white) and the example
// drawings. A file the program refuses leaves the drawing as it was and is
// told in plain words, with the program's own line below. setupFiles takes
// the program, the drawing and onOpened, called when the drawing has been
// replaced by another.
import { $, downloadLink } from './dom.js';
import { SIDE } from './picture_size.js';
import { setStatus } from './status.js';

export function setupFiles({ program, drawing, onOpened }) {
  const openBytes = (name, bytes) => {
    const decoded = program.decode(name, bytes);
    if (decoded.error) {
      setStatus(`${decoded.refusal} Your drawing is unchanged.`, 'failed', decoded.error);
      return;
    }
    drawing.replace(decoded.pixels, name);
    setStatus(`Opened ${name}`, 'done');
    onOpened();
  };
  $('open').addEventListener('change', async (event) => {
    const file = event.target.files[0];
    event.target.value = '';
    if (file) openBytes(file.name, new Uint8Array(await file.arrayBuffer()));
  });
  $('save').addEventListener('click', () => {
    const encoded = program.encode(drawing.pixels);
    if (encoded.error) { setStatus(encoded.error, 'failed'); return; }
    downloadLink(drawing.name, encoded.bytes, 'image/png').click();
  });
  $('clear').addEventListener('click', () => {
    drawing.replace(new Uint8Array(SIDE * SIDE * 3).fill(255), 'drawing.png');
    onOpened();
  });

  const openExample = async (name) => {
    try {
      const response = await fetch(`examples/${name}`);
      if (!response.ok) throw new Error(`the server answered ${response.status} ${response.statusText}`);
      openBytes(name, new Uint8Array(await response.arrayBuffer()));
    } catch (error) {
      setStatus(`Could not open the example ${name}. Your drawing is unchanged.`, 'failed', error.message);
    }
  };
  return (async () => {
    try {
      for (const name of await (await fetch('examples/examples.json')).json()) {
        const button = document.createElement('button');
        button.textContent = name.replace(/\.png$/, '');
        button.addEventListener('click', () => openExample(name));
        $('examples').append(button, ' ');
      }
    } catch { $('examples').textContent = 'none found'; }
  })();
}
