#!/usr/bin/env python3
"""Draws the program's pictures into res/ (title bar, logo, caption buttons, icon).

Run it from anywhere: `python3 res/make_pictures.py`. The output is the same bytes on every
run, so the pictures are kept in the repository and only regenerated when the skin changes.
Needs ImageMagick's `convert` for the JPEG; everything else is written here by hand, so the
file layouts (bit depth, alpha, icon entries) are exactly what the program and XP expect.
"""

import math
import os
import struct
import subprocess
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))

# The title bar: 25 pixels high on screen; title.jpg (34 rows) is stretched over it and the
# caption buttons (17 rows) sit on it at y=1. Everything dark shares one vertical ramp, given
# as a position 0..1 down the bar, so an idle button is indistinguishable from the bar.
BAR_HEIGHT = 25
BUTTON_TOP = 1
LOGO_TOP = 4  # the logo is centred in the bar; its opaque corners must match the bar there

HIGHLIGHT = (62, 63, 68)
RAMP_TOP = (38, 39, 43)
RAMP_BOTTOM = (9, 9, 11)
BOTTOM_EDGE = (3, 3, 4)

# The mark: a warm amber stands out on the near-black bar without looking like a warning.
MARK_LIGHT = (255, 172, 64)
MARK_DARK = (226, 96, 24)
WHITE = (255, 255, 255)

GLYPH_IDLE = (178, 179, 184)
GLYPH_HOVER = (250, 250, 250)
HOVER_FILL_TOP = (66, 67, 73)
HOVER_FILL_BOTTOM = (46, 47, 52)
CLOSE_FILL_TOP = (140, 45, 43)
CLOSE_FILL_BOTTOM = (112, 33, 32)


def mix(a, b, t):
  return tuple(x + (y - x) * t for x, y in zip(a, b))


def bar_colour(t):
  """Colour of the bar at relative height t (0 = top edge, 1 = bottom edge)."""
  # A slight ease keeps most of the lightness near the top, like light falling on a ledge.
  return mix(RAMP_TOP, RAMP_BOTTOM, math.sqrt(max(0.0, min(1.0, t))))


def to_bytes(colour):
  return tuple(max(0, min(255, int(round(c)))) for c in colour)


def render(width, height, shade, samples=8):
  """Supersamples shade(x, y) -> (r, g, b, a) with a in 0..1 over each pixel.

  Colour is averaged premultiplied so anti-aliased edges against transparency stay clean.
  """
  pixels = []
  step = 1.0 / samples
  offsets = [(i + 0.5) * step for i in range(samples)]
  count = samples * samples
  for py in range(height):
    row = []
    for px in range(width):
      r = g = b = a = 0.0
      for oy in offsets:
        for ox in offsets:
          sr, sg, sb, sa = shade(px + ox, py + oy)
          r += sr * sa
          g += sg * sa
          b += sb * sa
          a += sa
      if a > 0:
        row.append(to_bytes((r / a, g / a, b / a)) + (int(round(255 * a / count)),))
      else:
        row.append((0, 0, 0, 0))
    pixels.append(row)
  return pixels


# ---- geometry ---------------------------------------------------------------------------


def segment_distance(x, y, x0, y0, x1, y1):
  dx, dy = x1 - x0, y1 - y0
  t = ((x - x0) * dx + (y - y0) * dy) / (dx * dx + dy * dy)
  t = max(0.0, min(1.0, t))
  return math.hypot(x - (x0 + t * dx), y - (y0 + t * dy))


def in_rounded_rect(x, y, left, top, right, bottom, radius):
  cx = min(max(x, left + radius), right - radius)
  cy = min(max(y, top + radius), bottom - radius)
  return (x - cx) ** 2 + (y - cy) ** 2 <= radius * radius and left <= x <= right and top <= y <= bottom


# Wave radii and half-widths in units of the disc radius. At 16 pixels two waves run into the
# dot, so the small logo keeps one wave a side, drawn heavier.
FULL_MARK = (0.2, ((0.46, 0.115), (0.74, 0.115)))
SMALL_MARK = (0.27, ((0.64, 0.14),))


def broadcast_mark(x, y, cx, cy, scale, mark=FULL_MARK):
  """The radio mark: a white mast dot with two pairs of waves, on an amber disc.

  Returns the colour at (x, y) or None outside the disc. Sizes are in units of the disc
  radius (scale), so the 16, 32 and 48 pixel versions are the same drawing.
  """
  dx, dy = (x - cx) / scale, (y - cy) / scale
  d = math.hypot(dx, dy)
  if d > 1.0:
    return None
  # Lit from the top left: the amber ramps along that diagonal.
  base = mix(MARK_LIGHT, MARK_DARK, max(0.0, min(1.0, 0.5 + 0.45 * (dx * 0.35 + dy * 0.94))))
  dot, waves = mark
  if d <= dot:
    return WHITE
  # Waves open sideways (within 42 degrees of the horizontal), with round ends.
  for radius, width in waves:
    limit = math.radians(42)
    angle = math.atan2(dy, abs(dx))
    if abs(angle) <= limit:
      if abs(d - radius) <= width:
        return WHITE
    else:
      ex = math.copysign(radius * math.cos(limit), dx)
      ey = math.copysign(radius * math.sin(limit), dy)
      if math.hypot(dx - ex, dy - ey) <= width:
        return WHITE
  return base


# ---- pictures -----------------------------------------------------------------------------


def title_pixels(width=320, height=34):
  rows = []
  for y in range(height):
    if y == 0:
      colour = HIGHLIGHT
    elif y == height - 1:
      colour = BOTTOM_EDGE
    else:
      colour = bar_colour((y + 0.5) / height)
    rows.append([to_bytes(colour)] * width)
  return rows


def bar_at(y):
  """Bar colour for a pixel row y of the 25-pixel bar (y may be fractional)."""
  return bar_colour(y / BAR_HEIGHT)


def logo_pixels():
  size = 16

  def shade(x, y):
    mark = broadcast_mark(x, y, size / 2, size / 2, size / 2 - 0.25, SMALL_MARK)
    if mark is None:
      return bar_at(LOGO_TOP + y) + (1.0,)
    return mark + (1.0,)

  return [[p[:3] + (255,) for p in row] for row in render(size, size, shade)]


def icon_pixels(size):
  def shade(x, y):
    mark = broadcast_mark(x, y, size / 2, size / 2, size / 2 - 0.5)
    if mark is None:
      return (0, 0, 0, 0.0)
    return mark + (1.0,)

  return render(size, size, shade)


def button_pixels(glyph, hover, close):
  width, height = 33, 17
  cx, cy = width / 2, height / 2

  def background(x, y):
    bar = bar_at(BUTTON_TOP + y)
    if not hover:
      return bar
    top, bottom = (CLOSE_FILL_TOP, CLOSE_FILL_BOTTOM) if close else (HOVER_FILL_TOP,
                                                                     HOVER_FILL_BOTTOM)
    if in_rounded_rect(x, y, 1, 0, width - 1, height - 1, 3):
      return mix(top, bottom, y / height)
    return bar

  ink = GLYPH_HOVER if hover else GLYPH_IDLE

  def shade(x, y):
    if glyph == "minimize":
      on = segment_distance(x, y, cx - 4.5, cy + 3, cx + 4.5, cy + 3) <= 0.9
    else:
      half = 4.0
      on = (segment_distance(x, y, cx - half, cy - half, cx + half, cy + half) <= 0.85 or
            segment_distance(x, y, cx - half, cy + half, cx + half, cy - half) <= 0.85)
    return (ink if on else background(x, y)) + (1.0,)

  return [[p[:3] for p in row] for row in render(width, height, shade)]


# ---- file formats ---------------------------------------------------------------------------


def dib(pixels, bits, height_factor=1):
  """BITMAPINFOHEADER plus bottom-up rows (BGR or BGRA), rows padded to 4 bytes."""
  height, width = len(pixels), len(pixels[0])
  stride = (width * bits // 8 + 3) & ~3
  body = bytearray()
  for row in reversed(pixels):
    line = bytearray()
    for p in row:
      line += bytes((p[2], p[1], p[0]) + ((p[3],) if bits == 32 else ()))
    body += line + bytes(stride - len(line))
  header = struct.pack("<IiiHHIIiiII", 40, width, height * height_factor, 1, bits, 0,
                       len(body), 2835, 2835, 0, 0)
  return header + bytes(body)


def bmp(pixels, bits):
  info = dib(pixels, bits)
  return struct.pack("<2sIHHI", b"BM", 14 + len(info), 0, 0, 14 + 40) + info


def ico(images):
  """An icon file of 32-bit BMP-format entries (with AND masks, as XP wants them)."""
  entries, blobs = bytearray(), bytearray()
  offset = 6 + 16 * len(images)
  for pixels in images:
    size = len(pixels)
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(pixels):
      line = bytearray(mask_stride)
      for x, p in enumerate(row):
        if p[3] == 0:
          line[x // 8] |= 0x80 >> (x % 8)
      mask += line
    blob = dib(pixels, 32, height_factor=2) + bytes(mask)
    # biSizeImage counts the colour rows and the mask together.
    blob = blob[:20] + struct.pack("<I", len(blob) - 40) + blob[24:]
    entries += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(blob), offset)
    blobs += blob
    offset += len(blob)
  return struct.pack("<HHH", 0, 1, len(images)) + bytes(entries) + bytes(blobs)


def jpeg(pixels, path):
  height, width = len(pixels), len(pixels[0])
  ppm = b"P6\n%d %d\n255\n" % (width, height) + bytes(c for row in pixels for p in row
                                                      for c in p[:3])
  with tempfile.TemporaryDirectory() as tmp:
    source = os.path.join(tmp, "title.ppm")
    with open(source, "wb") as f:
      f.write(ppm)
    # Full-resolution chroma and no metadata: the ramp is subtle and the bytes must not vary.
    subprocess.run(["convert", source, "-strip", "-quality", "95", "-sampling-factor", "1x1",
                    "-interlace", "none", path], check=True)


def write(name, data):
  with open(os.path.join(HERE, name), "wb") as f:
    f.write(data)


def main():
  jpeg(title_pixels(), os.path.join(HERE, "title.jpg"))
  write("logo.bmp", bmp(logo_pixels(), 32))
  for state in ("idle", "hover"):
    hover = state == "hover"
    write("min_%s.bmp" % state, bmp(button_pixels("minimize", hover, False), 24))
    write("close_%s.bmp" % state, bmp(button_pixels("close", hover, True), 24))
  write("app.ico", ico([icon_pixels(48), icon_pixels(32)]))


if __name__ == "__main__":
  main()
