// The lines of a splash description that the page rewrites: every image
// entry and the icons line are each one line of their own.

const imageLine = /^\s*image\s+"[^"]*"/;
const iconsLine = /^\s*icons\b/;
const place = /\bat\s+(\d+)\s+(\d+)/;

// The index of each image entry's line, in the order of the entries.
export function imageLines(text) {
  const found = [];
  text.split('\n').forEach((line, index) => {
    if (imageLine.test(line)) found.push(index);
  });
  return found;
}

function placeOf(line) {
  const after = line.slice(line.lastIndexOf('"') + 1);
  const match = place.exec(after);
  return match ? { x: Number(match[1]), y: Number(match[2]) } : { x: 0, y: 0 };
}

function withPlace(line, x, y) {
  const quote = line.lastIndexOf('"') + 1;
  const head = line.slice(0, quote);
  const tail = line.slice(quote);
  const at = `at ${Math.max(0, Math.round(x))} ${Math.max(0, Math.round(y))}`;
  return place.test(tail) ? head + tail.replace(place, at) : `${head} ${at}${tail}`;
}

// Where entry `entry` stands, as its line says (0 0 without `at`).
export function entryPlace(text, entry) {
  const lines = text.split('\n');
  return placeOf(lines[imageLines(text)[entry]]);
}

// The text with entry `entry` at x y.
export function placeEntry(text, entry, x, y) {
  const lines = text.split('\n');
  const index = imageLines(text)[entry];
  if (index === undefined) return text;
  lines[index] = withPlace(lines[index], x, y);
  return lines.join('\n');
}

// Where the icons line puts the strip, or null without one.
export function stripPlace(text) {
  const line = text.split('\n').find((l) => iconsLine.test(l));
  return line ? placeOf(line) : null;
}

// The text with the strip at x y.
export function placeStrip(text, x, y) {
  const lines = text.split('\n');
  const index = lines.findIndex((l) => iconsLine.test(l));
  if (index < 0) return text;
  lines[index] = withPlace(lines[index], x, y);
  return lines.join('\n');
}

// The text with one more image entry, at the top left corner.
export function addEntry(text, name) {
  const ending = text === '' || text.endsWith('\n') ? '' : '\n';
  return `${text}${ending}image "${name.replace(/"/g, '')}" at 0 0\n`;
}
