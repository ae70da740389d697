// Reads what the page shows, as a user sees it, for the browser tests in
// either browser (playwright's and puppeteer's pages evaluate alike): the
// drawing's pixels from its canvas at 1x, the download links as clicked and
// the bytes behind one,
// a PNG file of RGB pixels made here to hand the native build, and the
// number of kernels the page says it holds.
import { crc32, deflateSync } from 'node:zlib';

// The drawing as its canvas shows it, 640 x 640 x 3 RGB bytes; the view
// must be at 1x and unpanned, where a canvas pixel is a drawing pixel.
export async function drawingPixels(page) {
  return Buffer.from(await page.evaluate(() => {
    const data = document.getElementById('drawing-view').getContext('2d').getImageData(0, 0, 640, 640).data;
    const rgb = new Uint8Array(640 * 640 * 3);
    for (let k = 0, n = 0; k < data.length; k += 4, n += 3) rgb.set(data.subarray(k, k + 3), n);
    let text = '';  // out as base64, in pieces small enough for fromCharCode
    for (let k = 0; k < rgb.length; k += 0x8000) text += String.fromCharCode(...rgb.subarray(k, k + 0x8000));
    return btoa(text);
  }), 'base64');
}

// [[name, href]] of the download links under selector, each clicked first
// as a user would (a link may make its file only then), with nothing saved.
export async function clickedLinks(page, selector) {
  return page.evaluate((linkSelector) => {
    const save = (event) => event.preventDefault();
    document.addEventListener('click', save);
    try {
      return [...document.querySelectorAll(linkSelector)].map((a) => { a.click(); return [a.download, a.href]; });
    } finally {
      document.removeEventListener('click', save);
    }
  }, selector);
}

export async function linkBytes(page, href) {
  return Buffer.from(await page.evaluate(async (link) => {
    const bytes = new Uint8Array(await (await fetch(link)).arrayBuffer());
    let text = '';
    for (let k = 0; k < bytes.length; k += 0x8000) text += String.fromCharCode(...bytes.subarray(k, k + 0x8000));
    return btoa(text);
  }, href), 'base64');
}

// The count in "Holds N kernels, ...".
export async function kernelsHeld(page) {
  return Number(/^Holds (\d+) kernels/.exec(await page.evaluate(() => document.getElementById('kernels').textContent))[1]);
}

// A 640 x 640 RGB PNG file of the pixels (no filter, one IDAT).
export function pngFile(rgb) {
  const chunk = (type, data) => {
    const length = Buffer.alloc(4);
    length.writeUInt32BE(data.length);
    const body = Buffer.concat([Buffer.from(type, 'latin1'), data]);
    const crc = Buffer.alloc(4);
    crc.writeUInt32BE(crc32(body));
    return Buffer.concat([length, body, crc]);
  };
  const header = Buffer.alloc(13);
  header.writeUInt32BE(640, 0);
  header.writeUInt32BE(640, 4);
  header.set([8, 2, 0, 0, 0], 8);
  const rows = Buffer.alloc(640 * (1 + 640 * 3));
  for (let y = 0; y < 640; ++y) rows.set(rgb.subarray(y * 640 * 3, (y + 1) * 640 * 3), y * (1 + 640 * 3) + 1);
  return Buffer.concat([Buffer.from([137, 80, 78, 71, 13, 10, 26, 10]), chunk('IHDR', header),
    chunk('IDAT', deflateSync(rows)), chunk('IEND', Buffer.alloc(0))]);
}
