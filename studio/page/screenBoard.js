// The drawn boot screen and the outlines over it that can be dragged. An
// outline follows the pointer at once; the caller is told of each move and
// redraws the screen when the server answers.

export class ScreenBoard {
  constructor(canvas, layer, onMove, onResize, focusOf, onFocus) {
    this.canvas = canvas;
    this.layer = layer;
    this.onMove = onMove; // (kind, index, dx, dy, final) in screen pixels
    this.onResize = onResize; // (index, dx, dy, final): the lower right corner moved
    this.focusOf = focusOf; // (index): {x, y} in percent of the box, or null for none
    this.onFocus = onFocus; // (index, x, y): the focus handle let go there, in percent
    this.boxes = null;
    this.dragging = null;
  }

  // Shows a drawing: a decoded bitmap and where its parts lie.
  show(bitmap, boxes) {
    if (this.canvas.width !== bitmap.width) this.canvas.width = bitmap.width;
    if (this.canvas.height !== bitmap.height) this.canvas.height = bitmap.height;
    this.canvas.getContext('2d').drawImage(bitmap, 0, 0);
    this.boxes = boxes;
    if (!this.dragging) this.placeOutlines();
  }

  // Plays the boot: the lit strip uncovered from left to right over the
  // unlit screen; resolves once it has.
  play(unlit, lit, strip) {
    const context = this.canvas.getContext('2d');
    const [x, y, width, height] = strip;
    const start = performance.now();
    const lasting = 2000;
    return new Promise((resolve) => {
      const step = (now) => {
        const share = Math.min(1, (now - start) / lasting);
        context.drawImage(unlit, 0, 0);
        const shown = Math.round(width * share);
        if (shown > 0) context.drawImage(lit, x, y, shown, height, x, y, shown, height);
        if (share < 1) requestAnimationFrame(step);
        else resolve();
      };
      requestAnimationFrame(step);
    });
  }

  placeOutlines() {
    this.layer.replaceChildren();
    if (!this.boxes) return;
    const scale = this.canvas.clientWidth / this.canvas.width || 1;
    const add = (box, kind, index) => {
      const outline = document.createElement('div');
      outline.className = `outline ${kind}`;
      outline.dataset.kind = kind;
      outline.dataset.index = String(index);
      Object.assign(outline.style, {
        left: `${box[0] * scale}px`, top: `${box[1] * scale}px`,
        width: `${Math.max(box[2], 4) * scale}px`, height: `${Math.max(box[3], 4) * scale}px`,
      });
      outline.addEventListener('pointerdown', (event) => this.grab(event, outline, scale, false));
      if (kind === 'image') {
        const handle = document.createElement('div');
        handle.className = 'handle';
        handle.addEventListener('pointerdown', (event) => {
          event.stopPropagation();
          this.grab(event, outline, scale, true);
        });
        outline.append(handle);
        const focus = this.focusOf(index);
        if (focus) outline.append(this.focusHandle(outline, index, focus));
      }
      this.layer.append(outline);
    };
    // The last image is drawn on top, so its outline comes last too.
    this.boxes.images.forEach((box, index) => add(box, 'image', index));
    if (this.boxes.strip[2] > 0) add(this.boxes.strip, 'strip', 0);
  }

  // The crosshair at the point a `covering` picture is cut around; it moves
  // inside the box, and the caller is told where it is let go.
  focusHandle(outline, index, focus) {
    const cross = document.createElement('div');
    cross.className = 'focus';
    const put = (x, y) => Object.assign(cross.style, { left: `${x}%`, top: `${y}%` });
    put(focus.x, focus.y);
    const percent = (e) => {
      const box = outline.getBoundingClientRect();
      const share = (v, from, size) => Math.min(100, Math.max(0, ((v - from) / size) * 100));
      return [share(e.clientX, box.left, box.width), share(e.clientY, box.top, box.height)];
    };
    cross.addEventListener('pointerdown', (event) => {
      event.stopPropagation();
      event.preventDefault();
      try {
        cross.setPointerCapture(event.pointerId);
      } catch (error) {
        // As for the outlines: followed without capture.
      }
      this.dragging = true;
      const move = (e) => put(...percent(e));
      const drop = (e) => {
        cross.removeEventListener('pointermove', move);
        cross.removeEventListener('pointerup', drop);
        cross.removeEventListener('pointercancel', drop);
        this.dragging = null;
        this.onFocus(index, ...percent(e));
      };
      cross.addEventListener('pointermove', move);
      cross.addEventListener('pointerup', drop);
      cross.addEventListener('pointercancel', drop);
    });
    return cross;
  }

  // A drag of the outline (or, `resizing`, of its corner handle).
  grab(event, outline, scale, resizing) {
    event.preventDefault();
    try {
      outline.setPointerCapture(event.pointerId);
    } catch (error) {
      // A pointer that is not active (a synthetic one) is followed without capture.
    }
    outline.classList.add('dragging');
    const origin = {
      x: event.clientX, y: event.clientY, left: outline.offsetLeft, top: outline.offsetTop,
      width: outline.offsetWidth, height: outline.offsetHeight,
    };
    const kind = outline.dataset.kind;
    const index = Number(outline.dataset.index);
    const delta = (e) => [Math.round((e.clientX - origin.x) / scale), Math.round((e.clientY - origin.y) / scale)];
    this.dragging = true;
    const tell = (dx, dy, final) => (resizing ? this.onResize(index, dx, dy, final)
      : this.onMove(kind, index, dx, dy, final));
    const move = (e) => {
      const [dx, dy] = delta(e);
      if (resizing) {
        outline.style.width = `${Math.max(4, origin.width + dx * scale)}px`;
        outline.style.height = `${Math.max(4, origin.height + dy * scale)}px`;
      } else {
        outline.style.left = `${origin.left + dx * scale}px`;
        outline.style.top = `${origin.top + dy * scale}px`;
      }
      tell(dx, dy, false);
    };
    const drop = (e) => {
      outline.removeEventListener('pointermove', move);
      outline.removeEventListener('pointerup', drop);
      outline.removeEventListener('pointercancel', drop);
      outline.classList.remove('dragging');
      this.dragging = null;
      const [dx, dy] = delta(e);
      tell(dx, dy, true);
    };
    outline.addEventListener('pointermove', move);
    outline.addEventListener('pointerup', drop);
    outline.addEventListener('pointercancel', drop);
  }
}
