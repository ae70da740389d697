// Writes the test drawings into the folder given: many_kinds.png (640 x 640)
// and wide.png (641 x 640).
import { writeFileSync } from 'node:fs';
import { join } from 'node:path';
import { manyKindsDrawing, widePicture } from './drawings.mjs';

const folder = process.argv[2];
writeFileSync(join(folder, 'many_kinds.png'), manyKindsDrawing());
writeFileSync(join(folder, 'wide.png'), widePicture());
