// Draws off the page's thread: one request at a time, answered with the
// picture's pixels and PNG bytes (handed over, not copied) or the error.
import { draw } from "../src/index.js";

self.onmessage = async ({ data: { id, checksum, options } }) => {
  const started = performance.now();
  try {
    const picture = await draw(checksum, options);
    const milliseconds = performance.now() - started;
    self.postMessage({ id, picture, milliseconds }, [picture.pixels.buffer, picture.png.buffer]);
  } catch (error) {
    self.postMessage({ id, error: error.message });
  }
};
