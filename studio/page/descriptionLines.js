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

const sizing = /\b(resized to|clipped to|covering|within)\s+(\d+)\s+(\d+)/;

// The box entry `entry` is fitted to, or null when it keeps its own size.
export function entrySize(text, entry) {
  const line = text.split('\n')[imageLines(text)[entry]] || '';
  const match = sizing.exec(line.slice(line.lastIndexOf('"') + 1));
  return match ? { width: Number(match[2]), height: Number(match[3]) } : null;
}

// The text with entry `entry` fitted to width x height: its own way of
// fitting kept, `resized to` when it had none.
export function sizeEntry(text, entry, width, height) {
  const lines = text.split('\n');
  const index = imageLines(text)[entry];
  if (index === undefined) return text;
  const w = Math.max(1, Math.round(width));
  const h = Math.max(1, Math.round(height));
  let line = lines[index];
  if (!place.test(line.slice(line.lastIndexOf('"') + 1))) line = withPlace(line, 0, 0);
  const quote = line.lastIndexOf('"') + 1;
  const tail = line.slice(quote);
  lines[index] = line.slice(0, quote) + (sizing.test(tail)
    ? tail.replace(sizing, (all, how) => `${how} ${w} ${h}`)
    : tail.replace(place, (all) => `${all} resized to ${w} ${h}`));
  return lines.join('\n');
}

const covering = /\bcovering\s+\d+\s+\d+(?:\s+focus\s+(\d+)\s+(\d+))?/;

// The point entry `entry` is cut around, in percent of the picture (the
// centre without `focus`), or null when it is not `covering` a box.
export function entryFocus(text, entry) {
  const line = text.split('\n')[imageLines(text)[entry]] || '';
  const match = covering.exec(line.slice(line.lastIndexOf('"') + 1));
  if (!match) return null;
  return match[1] === undefined ? { x: 50, y: 50 } : { x: Number(match[1]), y: Number(match[2]) };
}

// The text with entry `entry`, when it is `covering` a box, cut around x y.
export function focusEntry(text, entry, x, y) {
  const lines = text.split('\n');
  const index = imageLines(text)[entry];
  if (index === undefined) return text;
  const percent = (v) => Math.min(100, Math.max(0, Math.round(v)));
  const line = lines[index];
  const quote = line.lastIndexOf('"') + 1;
  lines[index] = line.slice(0, quote) + line.slice(quote).replace(covering,
    (all) => `${all.replace(/\s+focus\s+\d+\s+\d+$/, '')} focus ${percent(x)} ${percent(y)}`);
  return lines.join('\n');
}
