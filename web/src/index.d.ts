/** How the points are coloured: as the command's default, -g and -a. */
export type ColorMode = "mixed" | "gray" | "areas";

/** The command's options; each left out takes the command's default. */
export interface DrawOptions {
  /** Width and height in pixels (-r): 1 to 1000, above 1000 becomes 1000. Default 300. */
  resolution?: number;
  /** Background brightness (-b): 0 black to 255 white. Default 0. */
  background?: number;
  /** Drawing steps per pixel (-i). Default 30. */
  intensity?: number;
  /** Checksum characters read (-l): 8 to 128, rounded down to a multiple of 8; outside, 32. Default 32. */
  checksumLength?: number;
  /** Default "mixed"; "areas" is -a, "gray" is -g. */
  colorMode?: ColorMode;
  /** Red and blue exchanged (-c). Default false. */
  flipBgr?: boolean;
  /** The background colour transparent in the PNG (-t). Default false. */
  transparent?: boolean;
  /** Seconds, as SOURCE_DATE_EPOCH: the same seed gives the same bytes. Default: the current second. */
  seed?: number | bigint;
}

export interface Picture {
  /** Width and height in pixels. */
  size: number;
  /** size * size * 3 bytes, red, green and blue of each pixel, the top row first: the PNG's pixels. */
  pixels: Uint8Array;
  /** The PNG bytes, the very bytes that the command writes. */
  png: Uint8Array;
  /** The seed that drew it. */
  seed: number | bigint;
}

/** A negative answer of the library: `code` is its TESSADOX_E_* value, the message its sentence. */
export declare class TessadoxError extends Error {
  readonly code: number;
}

/**
 * Draws the picture of `checksum`: a string (read as its UTF-8 bytes) or bytes, as the command
 * reads standard input. Rejects with a TessadoxError when the library refuses, and with a
 * TypeError or RangeError for an option that is not of its type or beyond 32 bits.
 */
export declare function draw(
  checksum: string | Uint8Array | ArrayBufferView | ArrayBuffer,
  options?: DrawOptions,
): Promise<Picture>;

/** The version of the engine, "2.1". */
export declare function version(): Promise<string>;
