#!/usr/bin/python3
"""The careful way to scale a photo to a screen, and how far a picture is from it.

  carefulZoom.py cover PHOTO OUT.png WIDTH HEIGHT [FOCUS_X FOCUS_Y]
      PHOTO zoomed to cover WIDTH x HEIGHT and cut around the focus (fractions
      of the photo, the centre by default): Lanczos on each channel as floats,
      in linear light, over the exact fractional box, rounded once at the end.
  carefulZoom.py psnr A.png B.png X Y W H
      PSNR in dB of A against B after a Gaussian blur of sigma 1.5 px (roughly
      what the eye makes of dithering), the rectangle W x H at (X, Y) left out.

Uses Debian's python3-pil and python3-numpy.
"""
import sys

import numpy as np
from PIL import Image


def to_linear(levels):
    v = levels / 255.0
    return np.where(v <= 0.04045, v / 12.92, ((v + 0.055) / 1.055) ** 2.4)


def to_levels(light):
    light = np.clip(light, 0.0, 1.0)
    v = np.where(light <= 0.0031308, light * 12.92, 1.055 * light ** (1 / 2.4) - 0.055)
    return np.clip(np.rint(v * 255.0), 0, 255).astype(np.uint8)


def cover(photo, out, width, height, focus_x=0.5, focus_y=0.5):
    rgb = np.asarray(Image.open(photo).convert("RGB"), dtype=np.float64)
    h, w = rgb.shape[:2]
    scale = max(width / w, height / h)
    box_w, box_h = min(w, width / scale), min(h, height / scale)
    left = min(max(focus_x * w - box_w / 2, 0.0), w - box_w)
    top = min(max(focus_y * h - box_h / 2, 0.0), h - box_h)
    box = (left, top, left + box_w, top + box_h)
    light = to_linear(rgb)
    channels = [
        np.asarray(Image.fromarray(light[:, :, c].astype(np.float32), "F").resize((width, height), Image.LANCZOS, box=box))
        for c in range(3)
    ]
    Image.fromarray(to_levels(np.stack(channels, axis=2)), "RGB").save(out)


def blurred(path):
    picture = np.asarray(Image.open(path).convert("RGB"), dtype=np.float64)
    sigma = 1.5
    offsets = np.arange(-6, 7)
    kernel = np.exp(-(offsets ** 2) / (2 * sigma * sigma))
    kernel /= kernel.sum()
    for axis in (0, 1):
        padded = np.pad(picture, [(6, 6) if a == axis else (0, 0) for a in range(3)], mode="edge")
        length = picture.shape[axis]
        picture = sum(k * np.take(padded, range(i, i + length), axis=axis) for i, k in enumerate(kernel))
    return picture


def psnr(a, b, x, y, w, h):
    difference = (blurred(a) - blurred(b)) ** 2
    kept = np.ones(difference.shape[:2], dtype=bool)
    kept[y:y + h, x:x + w] = False
    mse = difference[kept].mean()
    return float("inf") if mse == 0 else 10 * np.log10(255.0 ** 2 / mse)


if __name__ == "__main__":
    if sys.argv[1] == "cover":
        cover(sys.argv[2], sys.argv[3], int(sys.argv[4]), int(sys.argv[5]), *map(float, sys.argv[6:8]))
    else:
        print("%.2f" % psnr(sys.argv[2], sys.argv[3], *map(int, sys.argv[4:8])))
