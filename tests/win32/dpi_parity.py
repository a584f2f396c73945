#!/usr/bin/env python3
"""Holds what dpi_change_test.exe measured on real windows after a change of
DPI against `flexarium preview --dpi N --client WxH` of the same form.

    dpi_parity.py CLI REPORT FORMS_DIR

REPORT has one block per form and DPI: a line "form FILE DPI WIDTH HEIGHT
FONT_HEIGHT" (the client size and the form's font height), then one line
"control NAME LEFT TOP WIDTH HEIGHT FONT_HEIGHT" per control, NAME dotted
for a frame's own controls. Prints each difference and ends with
"dpi-parity: N passed, M failed" (one count per block). As in the parity
check, a drop-down combo box's height (the system's, from its font) is a
note, not a difference.
"""
import json
import os
import subprocess
import sys


def blocks(path):
    current = None
    with open(path, encoding="utf-8") as f:
        for line in f:
            words = line.split()
            if not words:
                continue
            if words[0] == "form":
                current = {"file": words[1], "dpi": int(words[2]),
                           "client": (int(words[3]), int(words[4])),
                           "font": int(words[5]), "controls": {}}
                yield current
            elif words[0] == "control" and current is not None:
                current["controls"][words[1]] = [int(w) for w in words[2:7]]


def preview(cli, form, dpi, client):
    out = subprocess.run(
        [cli, "preview", form, "--dpi", str(dpi), "--client",
         "%dx%d" % client, "--json"],
        check=True, capture_output=True, text=True).stdout
    return json.loads(out)["steps"][-1]


def main():
    cli, report, forms = sys.argv[1:4]
    passed = failed = 0
    for block in list(blocks(report)):
        where = "%s at %d DPI" % (block["file"], block["dpi"])
        step = preview(cli, os.path.join(forms, block["file"]), block["dpi"],
                       block["client"])
        form = step["form"]
        problems = []
        got = (form["client_width"], form["client_height"])
        if got != block["client"]:
            problems.append("client %s, preview %s" % (block["client"], got))
        if form["font_height"] != block["font"]:
            problems.append("form font %d, preview %d" %
                            (block["font"], form["font_height"]))
        for c in step["controls"]:
            name = c["name"] if c["owner"] == form["name"] else \
                c["owner"] + "." + c["name"]
            measured = block["controls"].get(name)
            if measured is None:
                problems.append("%s: not measured" % name)
                continue
            want = [c["left"], c["top"], c["width"], c["height"]]
            if measured[:4] != want:
                if c["class"] == "TComboBox" and measured[:3] == want[:3]:
                    print("dpi-parity: %s: note: %s.height %d real, %d "
                          "preview (combo box height follows its font)" %
                          (where, name, measured[3], want[3]))
                else:
                    problems.append("%s: bounds %s, preview %s" %
                                    (name, measured[:4], want))
            if c["font_height"] is not None and \
                    measured[4] != c["font_height"]:
                problems.append("%s: font %d, preview %d" %
                                (name, measured[4], c["font_height"]))
        if problems:
            failed += 1
            for p in problems:
                print("dpi-parity: %s: %s" % (where, p))
        else:
            passed += 1
            print("dpi-parity: %s: ok" % where)
    print("dpi-parity: %d passed, %d failed" % (passed, failed))
    return 0 if failed == 0 and passed > 0 else 1


if __name__ == "__main__":
    sys.exit(main())
