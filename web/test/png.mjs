// Reads what tessadox writes: an 8-bit RGB PNG without interlacing, with a
// tRNS colour or without. Returns { size, pixels, transparentLevel }, the
// pixels as the PNG stores them, or throws on anything else.
import { inflateSync } from "node:zlib";

const signature = [137, 80, 78, 71, 13, 10, 26, 10];

function paeth(left, up, upLeft) {
  const p = left + up - upLeft;
  const [a, b, c] = [Math.abs(p - left), Math.abs(p - up), Math.abs(p - upLeft)];
  return a <= b && a <= c ? left : b <= c ? up : upLeft;
}

function unfilter(data, width, height) {
  const stride = width * 3;
  const pixels = new Uint8Array(stride * height);
  for (let y = 0; y < height; ++y) {
    const filter = data[y * (stride + 1)];
    const row = data.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1));
    for (let x = 0; x < stride; ++x) {
      const left = x >= 3 ? pixels[y * stride + x - 3] : 0;
      const up = y > 0 ? pixels[(y - 1) * stride + x] : 0;
      const upLeft = x >= 3 && y > 0 ? pixels[(y - 1) * stride + x - 3] : 0;
      const predicted = [0, left, up, (left + up) >> 1, paeth(left, up, upLeft)][filter];
      if (predicted === undefined) throw new Error(`PNG: filter ${filter} in row ${y}`);
      pixels[y * stride + x] = (row[x] + predicted) & 0xff;
    }
  }
  return pixels;
}

export function readPng(bytes) {
  const view = new DataView(bytes.buffer, bytes.byteOffset, bytes.byteLength);
  if (!signature.every((byte, i) => bytes[i] === byte)) throw new Error("PNG: no signature");
  let width, height, transparentLevel = null;
  const idat = [];
  for (let at = 8; at < bytes.length; ) {
    const length = view.getUint32(at);
    const type = String.fromCharCode(...bytes.subarray(at + 4, at + 8));
    const body = bytes.subarray(at + 8, at + 8 + length);
    if (type === "IHDR") {
      width = view.getUint32(at + 8);
      height = view.getUint32(at + 12);
      const [depth, colour, , , interlace] = body.subarray(8);
      if (depth !== 8 || colour !== 2 || interlace !== 0) throw new Error("PNG: not 8-bit RGB");
    } else if (type === "tRNS") {
      transparentLevel = [0, 2, 4].map((i) => (body[i] << 8) | body[i + 1]);
    } else if (type === "IDAT") {
      idat.push(body);
    }
    at += 12 + length;
  }
  if (width !== height) throw new Error("PNG: not square");
  const pixels = unfilter(inflateSync(Buffer.concat(idat)), width, height);
  return { size: width, pixels, transparentLevel };
}
