// A refusal of the library: its code, and its sentence after "tessadox: ",
// with the option it concerns first where there is one.
export class TessadoxError extends Error {
  constructor(code, message, option) {
    super(message);
    this.name = "TessadoxError";
    this.code = code;
    if (option !== undefined) this.option = option;
  }
}

// What a worker sends for an error, and the error made from it again on the
// caller's side: an Error's class does not cross postMessage.
export function errorMessage(error) {
  if (error instanceof TessadoxError) {
    return { kind: "TessadoxError", code: error.code, message: error.message, option: error.option };
  }
  return { kind: error?.name === "RangeError" ? "RangeError" : "Error",
    message: String(error?.message ?? error) };
}

export function errorFrom({ kind, code, message, option }) {
  if (kind === "TessadoxError") return new TessadoxError(code, message, option);
  return kind === "RangeError" ? new RangeError(message) : new Error(message);
}
