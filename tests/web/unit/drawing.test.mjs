// The drawing model's shapes, fill and undo, on its bytes alone.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { Drawing } from '../../../web/drawing.js';

const RED = [255, 0, 0];
const painted = (drawing) => {
  const keys = [];
  for (let k = 0; k < drawing.pixels.length; k += 3)
    if (drawing.pixels[k + 1] !== 255) keys.push(`${(k / 3) % 640},${Math.floor(k / 3 / 640)}`);
  return keys;
};

test('a line sets every pixel from end to end and a thick pen centres on it', () => {
  const drawing = new Drawing();
  drawing.line(10, 10, 13, 12, 1, RED);
  assert.deepEqual(painted(drawing), ['10,10', '11,11', '12,11', '13,12']);
  const thick = new Drawing();
  thick.line(0, 0, 0, 0, 3, RED);  // clipped at the edge: a 2 x 2 corner
  assert.deepEqual(painted(thick), ['0,0', '1,0', '0,1', '1,1']);
});

test('rectangle and ellipse take either corner order; the ellipse takes pixels whose centres lie inside', () => {
  const a = new Drawing(), b = new Drawing();
  a.rect(5, 7, 2, 3, RED);
  b.rect(2, 3, 5, 7, RED);
  assert.equal(painted(a).length, 4 * 5);
  assert.deepEqual(painted(a), painted(b));
  const ellipse = new Drawing();
  ellipse.ellipse(4, 4, 0, 0, RED);  // a 5 x 5 box less its four corners
  assert.equal(painted(ellipse).length, 21);
  assert.ok(!painted(ellipse).includes('0,0') && painted(ellipse).includes('1,1'));
});

test('fill takes only the 4-connected area of the exact colour', () => {
  const drawing = new Drawing();
  drawing.rect(0, 0, 639, 639, [255, 255, 254]);
  drawing.set(100, 100, [255, 255, 255]);
  drawing.set(101, 101, [255, 255, 255]);  // touches the first only at a corner
  drawing.fill(100, 100, RED);
  assert.deepEqual(drawing.colorAt(100, 100), RED);
  assert.deepEqual(drawing.colorAt(101, 101), [255, 255, 255]);
  assert.deepEqual(drawing.colorAt(100, 101), [255, 255, 254]);
});

test('undo and redo step through remembered states; revert drops a stroke with nothing to redo', () => {
  const drawing = new Drawing();
  drawing.remember();
  drawing.set(1, 1, RED);
  drawing.undo();
  assert.deepEqual(painted(drawing), []);
  drawing.redo();
  assert.deepEqual(painted(drawing), ['1,1']);
  drawing.remember();
  drawing.set(2, 2, RED);
  drawing.revert();
  assert.deepEqual(painted(drawing), ['1,1']);
  drawing.redo();
  assert.deepEqual(painted(drawing), ['1,1']);
});
