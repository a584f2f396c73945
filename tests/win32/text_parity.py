#!/usr/bin/env python3
"""Text metrics parity: the widths Wine's GDI gave for each case
(text_metrics_test.exe) against the simulated desktop's (`flexarium measure
--cases`). Prints the share of equal widths, the cases more than a pixel
apart and the cases neither could measure, and fails below 99 % equal or
with any case more than 1 pixel apart.

    text_parity.py SIM_REPORT NATIVE_REPORT
"""
import collections
import sys

TARGET = 0.99


def read(path):
    cases = {}
    with open(path, encoding="utf-8", errors="replace") as f:
        for line in f:
            fields = line.rstrip("\r\n").split("\t")
            if len(fields) != 7:
                continue
            key = tuple(fields[:5])
            cases[key] = (int(fields[5]), int(fields[6]))
    return cases


def text_of(hex_text):
    units = [int(hex_text[i:i + 4], 16) for i in range(0, len(hex_text), 4)]
    return bytes(b for u in units for b in u.to_bytes(2, "little")).decode(
        "utf-16-le", errors="replace")


def main(argv):
    if len(argv) != 3:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    sim, native = read(argv[1]), read(argv[2])
    if not native:
        print("text-parity: FAILED (no native measurements in %s)" % argv[2])
        return 1
    equal = total = 0
    far = []
    unmeasurable = []
    by_face = collections.Counter()
    for key, (ncx, ncy) in native.items():
        scx, scy = sim.get(key, (-1, -1))
        if ncx < 0 or scx < 0:
            unmeasurable.append(key)
            continue
        total += 1
        if scx == ncx:
            equal += 1
        else:
            by_face[key[0]] += 1
        if abs(scx - ncx) > 1:
            far.append((key, scx, ncx))
    share = equal / total if total else 0.0
    for face, n in sorted(by_face.items()):
        print("  %s: %d cases differ" % (face, n))
    for key, scx, ncx in far[:40]:
        print("  %s %s weight %s: %r simulated %d, GDI %d" %
              (key[0], key[1], key[2], text_of(key[4]), scx, ncx))
    if len(far) > 40:
        print("  ... and %d more more than 1 px apart" % (len(far) - 40))
    for key in unmeasurable[:10]:
        print("  unmeasurable: %s %s %r" % (key[0], key[1], text_of(key[4])))
    print("text-parity: %d of %d widths equal (%.2f %%), %d more than 1 px "
          "apart, %d unmeasurable" % (equal, total, 100.0 * share, len(far),
                                      len(unmeasurable)))
    ok = share >= TARGET and not far
    print("text-parity: %s" % ("passed" if ok else "FAILED"))
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
