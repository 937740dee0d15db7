/** How the points are coloured: as the command's default, -g and -a. */
export type ColorMode = "mixed" | "gray" | "areas";

/**
 * The library's options; each one left out or undefined takes the library's default (the
 * command's), but for the seed. Integers are numbers (safe integers) or BigInts.
 */
export interface DrawOptions {
  /** Width and height in pixels (-r): from 1; above 1000 draws 1000. Default 300. */
  resolution?: number | bigint;
  /** Background brightness (-b): 0 black to 255 white; the low byte fills the picture. Default 0. */
  background?: number | bigint;
  /** Plotting steps per pixel (-i). Default 30. */
  intensity?: number | bigint;
  /**
   * Checksum characters read (-l), 8 for each map: 8 to 128, rounded down to a multiple of 8;
   * another value reads 32; 0 reads as many as the checksum's leading hexadecimal digits
   * (a SHA-256 digest draws as 64). Default 32. `picture.options.checksumLength` tells the
   * length read.
   */
  checksumLength?: number | bigint;
  /** Default "mixed"; "areas" is -a, "gray" is -g. */
  colorMode?: ColorMode;
  /** Red and blue exchanged (-c). Default false. */
  flipBgr?: boolean;
  /** The background colour transparent in the PNG (-t). Default false. */
  transparent?: boolean;
  /**
   * Seconds, as SOURCE_DATE_EPOCH: the same seed gives the same bytes; the generator takes it
   * modulo 2^32, and 0 as 1. Default: the current second, as for the command.
   */
  seed?: number | bigint;
  /** The most plotting steps the draw may take, else it is refused; 0, the default, is no bound. */
  maxSteps?: number | bigint;
  /** Aborting it stops the draw and rejects the Promise with the signal's reason (an AbortError). */
  signal?: AbortSignal;
}

/** A picture's options as its draw resolved them: a resolution of 1500 is 1000 here. */
export interface DrawnOptions {
  resolution: number;
  background: number | bigint;
  intensity: number | bigint;
  checksumLength: number;
  colorMode: ColorMode;
  flipBgr: boolean;
  transparent: boolean;
  seed: number | bigint;
  maxSteps: number | bigint;
}

export interface Picture {
  /** Width and height in pixels. */
  size: number;
  /**
   * size * size * 3 bytes, the top row first, each pixel's channels as the PNG holds them: red,
   * green and blue, or blue, green and red with flipBgr.
   */
  pixels: Uint8Array;
  /** The PNG bytes, the very bytes that the command writes. */
  png: Uint8Array;
  /** The seed that drew it. */
  seed: number | bigint;
  /** The options as the draw resolved them. */
  options: DrawnOptions;
}

/**
 * A refusal of the library: `code` is its TESSADOX_E_* value; the message is "tessadox: " and
 * its sentence, after the option and the value where one was refused (`option` names it).
 */
export declare class TessadoxError extends Error {
  readonly code: number;
  readonly option?: string;
}

/** One of the library's options, as the package takes it. */
export interface OptionInfo {
  /** As DrawOptions spells it: "checksumLength". */
  readonly name: string;
  /** As the library spells it: "checksum_length". */
  readonly libraryName: string;
  /** What it takes: an integer (a number or a BigInt), a boolean, or one of `values`' names. */
  readonly type: "integer" | "boolean" | "name";
  readonly defaultValue: bigint;
  readonly lowest: bigint;
  readonly highest: bigint;
  /** The names of the values, where they have names ("gray": 0n, ...); else null. */
  readonly values: Readonly<Record<string, bigint>> | null;
}

/** The library's options, read from the WebAssembly module. */
export declare const options: readonly OptionInfo[];

/**
 * Draws the picture of `checksum` in a worker, off the caller's thread: a string (read as its
 * UTF-8 bytes) or bytes, as the command reads standard input; the bytes that a draw reads (at
 * most 128) are copied when draw() is called. Rejects with a TessadoxError when the library
 * refuses, with a TypeError for options that are not a plain object, an unknown option or a
 * value of the wrong type, with a RangeError for an integer that does not fit, and with the
 * signal's reason when it is aborted.
 */
export declare function draw(
  checksum: string | ArrayBufferView | ArrayBuffer,
  options?: DrawOptions,
): Promise<Picture>;

/** The version of the engine that a worker runs, "3.0". */
export declare function version(): Promise<string>;
