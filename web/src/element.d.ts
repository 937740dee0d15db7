import type { Picture } from "./index.js";

/**
 * <tessadox-picture checksum="..." resolution="200" color-mode="areas" seed="1700000000">:
 * the picture of its checksum, drawn with the other options as attributes (the library's names,
 * with "-" for "_"; flip-bgr and transparent are present or absent) and drawn again when one
 * changes. Fires "load" when the picture shows, "error" (an ErrorEvent) when the draw is refused.
 */
export declare class TessadoxPicture extends HTMLElement {
  static readonly observedAttributes: string[];
  /** The last picture drawn, or null. */
  picture: Picture | null;
}

declare global {
  interface HTMLElementTagNameMap {
    "tessadox-picture": TessadoxPicture;
  }
}
