#!/usr/bin/env python3
"""Writes the two artwork files ImageMagick cannot write exactly as the catalogue wants.

  artwork.py strip OUT.gif       ProgressStrip: GIF89a 800 x 6, global 256-entry palette, index 255
                                 transparent, NETSCAPE loop count 0, XMP application extension, four frames
                                 of 100 ms with disposal 1 (1-2: 800 x 6, 3-4: 800 x 4 from row 1)
  artwork.py ico IN.png OUT.ico  a one-image icon with a 32-bit BGRA bitmap (alpha) and its AND mask

Used by render.sh; needs python3 and, for ico, ImageMagick's convert to read the PNG.
"""
import struct
import subprocess
import sys

WIDTH, HEIGHT = 800, 6
PERIOD = 40          # the highlight pattern repeats every 40 columns ...
SHIFT = PERIOD // 4  # ... and moves 10 columns a frame, so the four frames loop seamlessly
LEVELS = 16          # brightness levels per bar row in the palette
TRANSPARENT = 255

# The amber bar's four rows, top to bottom, and the highlight colour they blend towards.
BAR = [(255, 214, 98), (255, 180, 36), (242, 152, 18), (196, 112, 8)]
HIGHLIGHT = (255, 246, 200)


def palette():
    colours = [(0, 0, 0)]  # 0: the black top and bottom rows
    for base in BAR:
        for level in range(LEVELS):
            t = level / (LEVELS - 1)
            colours.append(tuple(round(b + (h - b) * t * 0.8) for b, h in zip(base, HIGHLIGHT)))
    colours += [(0, 0, 0)] * (256 - len(colours))
    colours[TRANSPARENT] = (0, 0, 0)
    return colours


def bar_index(frame, x, row):
    """Palette index of bar row 0-3 at column x in a frame: slanted highlights that drift right."""
    phase = (x - frame * SHIFT + 3 * row) % PERIOD
    # a smooth bump 16 columns wide
    t = 0.0
    if phase < 16:
        t = 1.0 - abs(phase - 8) / 8.0
        t = t * t * (3 - 2 * t)
    level = min(LEVELS - 1, round(t * (LEVELS - 1)))
    return 1 + row * LEVELS + level


def frame_pixels(frame):
    """(left, top, width, height, indices) of frame 0-3."""
    bar = [[bar_index(frame, x, row) for x in range(WIDTH)] for row in range(4)]
    if frame < 2:
        rows = [[0] * WIDTH] + bar + [[0] * WIDTH]
        return 0, 0, WIDTH, HEIGHT, [i for r in rows for i in r]
    return 0, 1, WIDTH, 4, [i for r in bar for i in r]


def lzw(indices, min_size=8):
    """GIF LZW (no early change), as Go's compress/lzw writes it."""
    clear, eoi = 1 << min_size, (1 << min_size) + 1
    out, acc, nbits = bytearray(), 0, 0

    def put(code, width):
        nonlocal acc, nbits
        acc |= code << nbits
        nbits += width
        while nbits >= 8:
            out.append(acc & 0xFF)
            acc >>= 8
            nbits -= 8

    width, hi, overflow = min_size + 1, eoi, 1 << (min_size + 1)
    table = {}
    put(clear, width)
    code = indices[0]
    for k in indices[1:]:
        key = (code, k)
        if key in table:
            code = table[key]
            continue
        put(code, width)
        code = k
        hi += 1
        if hi == overflow:
            width += 1
            overflow <<= 1
        if hi == 4095:
            put(clear, width)
            width, hi, overflow = min_size + 1, eoi, 1 << (min_size + 1)
            table = {}
        else:
            table[key] = hi
    put(code, width)
    put(eoi, width)
    if nbits:
        out.append(acc & 0xFF)
    return bytes(out)


def sub_blocks(data):
    out = bytearray()
    for i in range(0, len(data), 255):
        chunk = data[i:i + 255]
        out += bytes([len(chunk)]) + chunk
    return bytes(out) + b"\x00"


XMP = (b'<?xpacket begin="\xef\xbb\xbf" id="W5M0MpCehiHzreSzNTczkc9d"?>'
       b'<x:xmpmeta xmlns:x="adobe:ns:meta/"><rdf:RDF xmlns:rdf="http://www.w3.org/1999/02/22-rdf-syntax-ns#">'
       b'<rdf:Description rdf:about="" xmlns:dc="http://purl.org/dc/elements/1.1/">'
       b'<dc:title><rdf:Alt><rdf:li xml:lang="x-default">Zentrilo progress strip</rdf:li></rdf:Alt></dc:title>'
       b'</rdf:Description></rdf:RDF></x:xmpmeta><?xpacket end="r"?>')


def strip(path):
    gif = bytearray(b"GIF89a")
    # logical screen: global table present, colour resolution 8 bits, 2^(7+1) = 256 entries
    gif += struct.pack("<HHBBB", WIDTH, HEIGHT, 0xF7, 0, 0)
    for colour in palette():
        gif += bytes(colour)
    gif += b"\x21\xFF\x0BNETSCAPE2.0\x03\x01" + struct.pack("<H", 0) + b"\x00"  # loop for ever
    # XMP: the packet, then the 258-byte "magic trailer" that makes the data read as sub-blocks
    gif += b"\x21\xFF\x0BXMP DataXMP" + XMP + bytes([1] + list(range(255, -1, -1))) + b"\x00"
    for frame in range(4):
        left, top, width, height, indices = frame_pixels(frame)
        # graphic control: disposal 1 (leave in place), transparent flag, 10 x 10 ms, index 255
        gif += b"\x21\xF9\x04" + bytes([(1 << 2) | 1]) + struct.pack("<H", 10) + bytes([TRANSPARENT]) + b"\x00"
        gif += b"\x2C" + struct.pack("<HHHHB", left, top, width, height, 0)
        gif += b"\x08" + sub_blocks(lzw(indices))
    gif += b"\x3B"
    with open(path, "wb") as f:
        f.write(gif)


def ico(png, path):
    size = subprocess.run(["convert", png, "-format", "%w %h", "info:"], check=True, capture_output=True,
                          text=True).stdout.split()
    w, h = int(size[0]), int(size[1])
    rgba = subprocess.run(["convert", png, "-depth", "8", "rgba:-"], check=True, capture_output=True).stdout
    assert len(rgba) == w * h * 4
    xor = bytearray()
    for y in reversed(range(h)):  # bottom-up rows, BGRA
        for x in range(w):
            r, g, b, a = rgba[(y * w + x) * 4:(y * w + x) * 4 + 4]
            xor += bytes((b, g, r, a))
    mask_stride = ((w + 31) // 32) * 4
    mask = bytearray()
    for y in reversed(range(h)):
        row = bytearray(mask_stride)
        for x in range(w):
            if rgba[(y * w + x) * 4 + 3] == 0:
                row[x // 8] |= 0x80 >> (x % 8)
        mask += row
    header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    image = header + bytes(xor) + bytes(mask)
    out = struct.pack("<HHH", 0, 1, 1)
    out += struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32, len(image), 6 + 16)
    with open(path, "wb") as f:
        f.write(out + image)


if __name__ == "__main__":
    if sys.argv[1:2] == ["strip"] and len(sys.argv) == 3:
        strip(sys.argv[2])
    elif sys.argv[1:2] == ["ico"] and len(sys.argv) == 4:
        ico(sys.argv[2], sys.argv[3])
    else:
        sys.exit(__doc__)
