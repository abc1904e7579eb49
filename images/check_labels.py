#!/usr/bin/env python3
"""Measures the option labels of a rendered 800 x 540 background: for each label's row range the ink
(pixels clearly brighter than the dark band) must lie inside the rows and start at column 112."""
import subprocess
import sys

BOXES = [("正常-100% (默认)", 384, 397), ("中等-125%", 424, 440), ("较大-150%", 463, 482)]


def pixels(path):
    raw = subprocess.run(["convert", path, "-depth", "8", "rgb:-"], check=True, capture_output=True).stdout
    assert len(raw) == 800 * 540 * 3, path
    return raw


def ink(raw, x, y):
    at = (y * 800 + x) * 3
    return min(raw[at], raw[at + 1], raw[at + 2]) > 90  # the band is about 0x2f; text is white


def main(paths):
    ok = True
    for path in paths:
        raw = pixels(path)
        for name, top, bottom in BOXES:
            # search a generous window around the label box
            xs, ys, white = [], [], 0
            for y in range(top - 8, bottom + 9):
                for x in range(0, 400):
                    if ink(raw, x, y):
                        xs.append(x)
                        ys.append(y)
                        at = (y * 800 + x) * 3
                        white += min(raw[at:at + 3]) > 230
            box = (min(xs), min(ys), max(xs), max(ys)) if xs else None
            good = box is not None and box[0] == 112 and box[1] == top and box[3] == bottom
            ok &= good
            print(f"{path}: {name}: ink x {box[0]}-{box[2]}, rows {box[1]}-{box[3]} (want x from 112, rows {top}-{bottom}),"
                  f" {white} white pixels {'ok' if good else 'MISMATCH'}")
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
