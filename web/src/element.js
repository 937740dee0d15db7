// <tessadox-picture>: the picture of its checksum attribute, drawn with the
// other options as attributes (checksum-length, color-mode, flip-bgr, ...)
// and drawn again when one changes; an image to assistive technology, named
// by its aria-label or after its checksum; as large as CSS makes it, by
// default the picture's own size. Importing this module defines the element
// where there are custom elements, and touches no browser global where there
// are none, as during server-side rendering.
import { draw } from "./index.js";
import { optionTable } from "./options.js";

const attributeOf = (option) => option.name.replaceAll("_", "-");
const integerText = /^\s*-?\d+\s*$/;

// An option from its attribute's text, or undefined for its default.
function optionFrom(option, text) {
  if (option.kind === "boolean") return text !== null && text !== "false";
  if (text === null) return undefined;
  if (option.kind === "name") return text.trim();
  if (!integerText.test(text)) {
    throw new TypeError(`tessadox-picture: ${attributeOf(option)} must be a whole number, ` +
      `not ${JSON.stringify(text)}`);
  }
  const value = BigInt(text.trim());
  return Number.isSafeInteger(Number(value)) ? Number(value) : value;
}

const Base = globalThis.HTMLElement ?? class {};

export class TessadoxPicture extends Base {
  static get observedAttributes() {
    return ["checksum", ...optionTable.map(attributeOf)];
  }

  #image = null;
  #style = null;
  #ownLabel = null;
  #drawing = null;
  #pending = false;
  #address = null;
  // The last picture drawn: its size, pixels, PNG bytes, seed and options.
  picture = null;

  constructor() {
    super();
    const root = this.attachShadow({ mode: "open" });
    this.#style = document.createElement("style");
    this.#image = document.createElement("img");
    this.#image.alt = "";
    this.#image.part = "image";
    root.append(this.#style, this.#image);
    this.#setSize(300);
  }

  connectedCallback() {
    this.#name();
    this.#redraw();
  }

  disconnectedCallback() {
    this.#drawing?.abort();
    this.#drawing = null;
  }

  attributeChangedCallback() {
    if (this.isConnected) this.#redraw();
  }

  // The default size is the picture's own, in CSS pixels; the page's CSS
  // for the element comes before the shadow root's :host.
  #setSize(size) {
    this.#style.textContent = `:host { display: inline-block; width: ${size}px; aspect-ratio: 1; }
      img { display: block; width: 100%; height: 100%; image-rendering: pixelated; }`;
  }

  // An image to assistive technology, with the page's own aria-label where
  // it gives one, else one after the checksum, which follows it. Attributes
  // rather than ElementInternals, which not every browser and tool reads.
  #name() {
    if (!this.hasAttribute("role")) this.setAttribute("role", "img");
    const label = this.getAttribute("aria-label");
    if (label === null || label === this.#ownLabel) {
      this.#ownLabel = `tessadox picture of ${this.getAttribute("checksum") || "an empty checksum"}`;
      this.setAttribute("aria-label", this.#ownLabel);
    }
  }

  // Attribute changes that come together draw once: the draw starts after
  // the current task, and a draw still running for older attributes stops.
  #redraw() {
    if (this.#pending) return;
    this.#pending = true;
    queueMicrotask(() => {
      this.#pending = false;
      if (this.isConnected) this.#start();
    });
  }

  async #start() {
    this.#name();
    this.#drawing?.abort();
    const drawing = new AbortController();
    this.#drawing = drawing;
    try {
      const options = { signal: drawing.signal };
      for (const option of optionTable) {
        const value = optionFrom(option, this.getAttribute(attributeOf(option)));
        if (value !== undefined) options[option.key] = value;
      }
      const picture = await draw(this.getAttribute("checksum") ?? "", options);
      if (drawing.signal.aborted) return;
      await this.#show(picture);
      if (drawing.signal.aborted) return;
      this.dispatchEvent(new Event("load"));
    } catch (error) {
      if (drawing.signal.aborted) return;
      this.picture = null;
      this.dispatchEvent(new ErrorEvent("error", { error, message: error.message }));
    } finally {
      if (this.#drawing === drawing) this.#drawing = null;
    }
  }

  // "load" follows once the image can be painted.
  async #show(picture) {
    if (this.#address !== null) URL.revokeObjectURL(this.#address);
    this.#address = URL.createObjectURL(new Blob([picture.png], { type: "image/png" }));
    this.#image.src = this.#address;
    this.#setSize(picture.size);
    this.picture = picture;
    await this.#image.decode();
  }
}

if (globalThis.customElements !== undefined && customElements.get("tessadox-picture") === undefined) {
  customElements.define("tessadox-picture", TessadoxPicture);
}
