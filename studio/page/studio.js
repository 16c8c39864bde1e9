// The studio page: the description beside its boot screen, kept in step
// both ways. Every change is numbered; only the answer to the newest one is
// ever shown, so a slow answer can never put back an older screen.
import { ScreenBoard } from './screenBoard.js?t=TOKEN';
import {
  addEntry, entryFocus, entryPlace, entrySize, focusEntry, placeEntry, placeStrip, sizeEntry, stripPlace,
} from './descriptionLines.js?t=TOKEN';

const token = new URLSearchParams(location.search).get('t') || '';
const headers = { 'X-Studio-Token': token };
const $ = (id) => document.getElementById(id);
const optionNames = ['dither', 'alpha', 'full-palette', 'smooth'];

const text = $('description');
const board = new ScreenBoard($('screen'), $('outlines'), moved, resized,
  (index) => entryFocus(text.value, index), focused);
let sequence = 0;
let inFlight = false;
let dragBase = null;

function optionQuery(lit) {
  const query = new URLSearchParams({ t: token, lit: lit ? '1' : '0' });
  for (const name of optionNames) query.set(name, $(name).checked ? '1' : '0');
  return query;
}

function showLines(bad) {
  const count = text.value.split('\n').length;
  const gutter = $('gutter');
  gutter.replaceChildren();
  for (let line = 1; line <= count; line += 1) {
    const number = document.createElement('span');
    number.textContent = `${line}\n`;
    if (line === bad) number.className = 'bad';
    gutter.append(number);
  }
  gutter.scrollTop = text.scrollTop;
}

async function draw(lit) {
  const response = await fetch(`/api/draw?${optionQuery(lit)}&sequence=${sequence}`,
    { method: 'POST', headers, body: text.value });
  const answered = Number(response.headers.get('X-Sequence'));
  if (!response.ok) return { answered, failure: await response.json() };
  const boxes = JSON.parse(response.headers.get('X-Boxes'));
  const bitmap = await createImageBitmap(await response.blob());
  return { answered, bitmap, boxes };
}

// Asks for the drawing of the newest change; one request at a time, and
// when it comes back overtaken the newest is asked for at once instead.
async function redraw() {
  if (inFlight) return;
  inFlight = true;
  const started = performance.now();
  let answer = null;
  try {
    answer = await draw($('lit').checked);
  } catch (error) {
    $('status').textContent = `The studio does not answer: ${error.message}`;
  }
  inFlight = false;
  if (!answer) return;
  if (answer.answered !== sequence) {
    redraw();
    return;
  }
  if (answer.failure) {
    $('message').textContent = answer.failure.message;
    showLines(answer.failure.line);
    $('status').textContent = 'The description has a slip: the screen shows the last good one.';
  } else {
    $('message').textContent = '';
    showLines(0);
    board.show(answer.bitmap, answer.boxes);
    $('status').textContent = `Drawn in ${Math.round(performance.now() - started)} ms.`;
  }
  document.body.dataset.drawn = String(sequence);
}

function changed() {
  sequence += 1;
  delete document.body.dataset.drawn;
  $('download').hidden = true;
  redraw();
}

function moved(kind, index, dx, dy, final) {
  if (!dragBase) {
    const base = kind === 'strip' ? stripPlace(text.value) : entryPlace(text.value, index);
    dragBase = { text: text.value, base };
  }
  const { base } = dragBase;
  text.value = kind === 'strip'
    ? placeStrip(dragBase.text, base.x + dx, base.y + dy)
    : placeEntry(dragBase.text, index, base.x + dx, base.y + dy);
  if (final) dragBase = null;
  changed();
}

// The corner handle: the entry's box grows or shrinks with it, from the box
// its line names or, without one, the size it is drawn at.
function resized(index, dx, dy, final) {
  if (!dragBase) {
    const drawn = board.boxes.images[index];
    dragBase = { text: text.value, base: entrySize(text.value, index) || { width: drawn[2], height: drawn[3] } };
  }
  const { base } = dragBase;
  text.value = sizeEntry(dragBase.text, index, base.width + dx, base.height + dy);
  if (final) dragBase = null;
  changed();
}

// The focus handle of a `covering` picture, let go at x y percent of its box.
function focused(index, x, y) {
  text.value = focusEntry(text.value, index, x, y);
  changed();
}

function listPicture(name) {
  const item = document.createElement('li');
  const image = document.createElement('img');
  image.src = `/api/file?${new URLSearchParams({ t: token, name })}`;
  image.alt = '';
  const label = document.createElement('div');
  label.textContent = name;
  item.append(image, label);
  item.addEventListener('click', () => {
    text.value = addEntry(text.value, name);
    changed();
  });
  $('pictures').append(item);
}

// Posts a file the user chose as the form field `field` and clears the
// input it came from; the answer, or null once the page says why not.
async function send(field, file, path, input) {
  const form = new FormData();
  form.append(field, file, file.name);
  const response = await fetch(`${path}?t=${token}`, { method: 'POST', headers, body: form });
  const answer = await response.json();
  $(input).value = '';
  if (!response.ok) {
    $('message').textContent = `${file.name}: ${answer.error}`;
    return null;
  }
  return answer;
}

// A photo chosen with the file input or dropped on the page.
async function upload(file) {
  if (!file) return;
  const answer = await send('picture', file, '/api/upload', 'upload');
  if (!answer) return;
  listPicture(answer.name);
  text.value = addEntry(text.value, answer.name);
  changed();
}

// A boot loader file's splash: its artwork taken out into the folder and
// the description of it, to go on from.
async function open() {
  const file = $('open').files[0];
  if (!file) return;
  const answer = await send('zbeos', file, '/api/open', 'open');
  if (!answer) return;
  answer.pictures.forEach(listPicture);
  text.value = answer.description;
  changed();
}

async function save() {
  $('status').textContent = 'Saving...';
  const response = await fetch(`/api/save?${optionQuery(false)}`, { method: 'POST', headers, body: text.value });
  const answer = await response.json();
  if (!response.ok) {
    $('message').textContent = answer.message || answer.error;
    $('status').textContent = 'Not saved.';
    return;
  }
  const link = $('download');
  link.href = `/api/file?${new URLSearchParams({ t: token, name: answer.saved, download: '1' })}`;
  link.download = answer.saved;
  link.textContent = `Download ${answer.saved}`;
  link.hidden = false;
  $('status').textContent = `Saved ${answer.saved} in the folder; a file it replaced is kept beside it.`;
  document.body.dataset.saved = answer.saved;
}

async function play() {
  const unlit = await draw(false);
  const lit = await draw(true);
  if (unlit.bitmap && lit.bitmap) await board.play(unlit.bitmap, lit.bitmap, lit.boxes.strip);
  // Back to the drawing of the newest change, as the switches ask for it.
  changed();
}

async function start() {
  const response = await fetch(`/api/start?t=${token}`, { headers });
  const answer = await response.json();
  text.value = answer.description;
  $('save').textContent = `Save ${answer.output}`;
  answer.pictures.forEach(listPicture);
  text.addEventListener('input', changed);
  text.addEventListener('scroll', () => { $('gutter').scrollTop = text.scrollTop; });
  for (const id of [...optionNames, 'lit']) $(id).addEventListener('change', changed);
  $('upload').addEventListener('change', () => upload($('upload').files[0]));
  document.addEventListener('dragover', (event) => event.preventDefault());
  document.addEventListener('drop', (event) => {
    event.preventDefault();
    upload(event.dataTransfer.files[0]);
  });
  $('open').addEventListener('change', open);
  $('save').addEventListener('click', save);
  $('play').addEventListener('click', play);
  changed();
}

start();
