"""Reads raw 8-bit RGBA pixels (top row first) on stdin and writes a one-image .ico with
an 8-bit (256-colour) palette and an AND mask taken from the alpha channel."""
import struct
import sys

width, height = int(sys.argv[1]), int(sys.argv[2])
raw = sys.stdin.buffer.read()
assert len(raw) == width * height * 4, "expected %d bytes, got %d" % (width * height * 4, len(raw))
pixels = [raw[i:i + 4] for i in range(0, len(raw), 4)]

palette = []
index = {}
for p in pixels:
    rgb = (p[0], p[1], p[2]) if p[3] else (0, 0, 0)
    if rgb not in index:
        index[rgb] = len(palette)
        palette.append(rgb)
assert len(palette) <= 256, "%d colours" % len(palette)
palette += [(0, 0, 0)] * (256 - len(palette))

rows = []
mask_rows = []
mask_stride = ((width + 31) // 32) * 4
for y in reversed(range(height)):  # bottom-up
    row = pixels[y * width:(y + 1) * width]
    rows.append(bytes(index[(p[0], p[1], p[2]) if p[3] else (0, 0, 0)] for p in row))
    bits = bytearray(mask_stride)
    for x, p in enumerate(row):
        if not p[3]:
            bits[x // 8] |= 0x80 >> (x % 8)
    mask_rows.append(bytes(bits))

header = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, 8, 0, 0, 0, 0, 256, 0)
image = header + b"".join(struct.pack("BBBB", b, g, r, 0) for r, g, b in palette) + b"".join(rows) + b"".join(mask_rows)
entry = struct.pack("<BBBBHHII", width, height, 0, 0, 1, 8, len(image), 6 + 16)
sys.stdout.buffer.write(struct.pack("<HHH", 0, 1, 1) + entry + image)
