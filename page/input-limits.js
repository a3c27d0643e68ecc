// What the page takes from a chosen file before the core parses it: the
// command line's limit on input files, and a nesting depth no plan or
// record comes near (the core's parser would exhaust the stack on a file
// nested thousands deep).
export const MaxInputBytes = 1024 * 1024;
export const MaxJsonDepth = 64;

// Why the bytes are refused, or "" when they may be parsed.
export function jsonInputProblem(bytes) {
  if (bytes.length > MaxInputBytes) return "is larger than 1 MiB";
  let depth = 0;
  let inString = false;
  for (let i = 0; i < bytes.length; i++) {
    const b = bytes[i];
    if (inString) {
      if (b === 0x5c) i++; // the escaped character
      else if (b === 0x22) inString = false;
    } else if (b === 0x22) {
      inString = true;
    } else if (b === 0x5b || b === 0x7b) {
      if (++depth > MaxJsonDepth) return `nests deeper than ${MaxJsonDepth} levels`;
    } else if (b === 0x5d || b === 0x7d) {
      depth--;
    }
  }
  return "";
}
