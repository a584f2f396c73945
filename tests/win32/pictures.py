#!/usr/bin/env python3
"""Screenshots of the example forms on real windows, next to the SVG
previews of the same steps, and a check that every control the preview
draws shows on the real window.

  pictures.py shoot DEMO LIST OUT     inside the Xvfb display, with Wine:
                                      for each form of LIST (parity.py's
                                      plan), the demo at design size and at
                                      1.5 times it; OUT/NAME-STEP.png (the
                                      window, cropped) and .json (its report)
  pictures.py check CLI LIST OUT      OUT/NAME-STEP.svg and .preview.json
                                      from `flexarium preview` set up as the
                                      real screen, then the region check;
                                      the last line is
                                      "pictures: N passed, M failed"

The region check: every visible control whose preview draws a frame, a
caption, a text or an item (the preview's "drawn") must have pixels other
than the form's background in its rectangle on the screenshot, leaving out
the rectangles of the controls inside it. A control missing from the real
window fails the check, named. The check also proves it can fail: with one
control's rectangle painted over in the background colour, it must name
that control.

The text check: for buttons, check boxes, radio buttons, labels, group
boxes and panels whose preview draws their text unclipped (measured, with
its width and clip path), the dark pixels of the screenshot inside the
text's clip rectangles must start where the SVG's text starts, within a
pixel or two (the glyphs' side bearings), and a single line without
descenders or an accelerator's underline must end on the SVG's baseline,
within a pixel. Where they end is not compared:
Wine draws Tahoma at the sizes its file holds bitmaps for (8 to 16
pixels) from those bitmaps, whose advances differ from the outline
widths GDI measures (by up to a sixth), so a centred
caption starts where the measured width puts it but ends elsewhere.
"""
import re
import json
import os
import subprocess
import sys
import time

from parity import screen_args  # the same screen for both checks

STEPS = ("design", "1.5x")


def read_plan(path):
    with open(path, encoding="utf-8") as f:
        plans = [line.split() for line in f if line.strip()]
    out = []
    for name, form, *steps in plans:
        client = steps[steps.index("--client") + 1]
        out.append((name, form, {"design": [], "1.5x": ["--client", client]}))
    return out


def winpath(path):
    out = subprocess.run(["winepath", "-w", path], capture_output=True,
                         text=True, check=False)
    return out.stdout.strip() or path


def complete_json(path):
    try:
        with open(path, encoding="utf-8", errors="replace") as f:
            return json.load(f)
    except (OSError, ValueError):
        return None


def shoot(demo, plan_path, out):
    os.makedirs(out, exist_ok=True)
    failed = 0
    for name, form, steps in read_plan(plan_path):
        for step in STEPS:
            base = os.path.join(out, f"{name}-{step}")
            done = base + ".done"
            for stale in (done, base + ".json", base + ".png"):
                if os.path.exists(stale):
                    os.remove(stale)
            with open(base + ".json", "w") as report, \
                    open(base + ".err", "w") as err:
                demo_run = subprocess.Popen(
                    ["timeout", "60", "wine", demo, winpath(form)] +
                    steps[step] +
                    # The whole window on the screen, whatever its size.
                    ["--move", "0", "0", "--json", "--linger", "30000",
                     "--until", winpath(done)],
                    stdout=report, stderr=err)
            # The report comes once the form is shown and painted.
            doc = None
            deadline = time.time() + 40
            while doc is None and time.time() < deadline and \
                    demo_run.poll() is None:
                time.sleep(0.1)
                doc = complete_json(base + ".json")
            if doc is not None:
                time.sleep(0.3)  # Wine's frame is drawn after the client
                f = doc["steps"][-1]["form"]
                crop = f"{f['width']}x{f['height']}+{f['left']}+{f['top']}"
                shot = subprocess.run(
                    f"xwd -root -silent | convert xwd:- -crop {crop} +repage "
                    f"-strip '{base}.png'", shell=True, check=False)
                if shot.returncode != 0:
                    doc = None
            with open(done, "w") as f:
                f.write("done\n")
            try:
                demo_run.wait(timeout=20)
            except subprocess.TimeoutExpired:
                demo_run.kill()
            if doc is None:
                print(f"pictures {name} {step}: no screenshot")
                failed += 1
    return failed == 0


def read_ppm(path):
    """Width, height and the RGB bytes of a binary PPM."""
    with open(path, "rb") as f:
        data = f.read()
    fields, pos = [], 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b"#":
            pos = data.index(b"\n", pos)
            continue
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[pos:end])
        pos = end
    if fields[0] != b"P6" or int(fields[3]) != 255:
        raise ValueError(f"{path}: not an 8-bit binary PPM")
    w, h = int(fields[1]), int(fields[2])
    return w, h, data[pos + 1:pos + 1 + w * h * 3]


class Picture:
    def __init__(self, path):
        ppm = path[:-4] + ".ppm"
        subprocess.run(["convert", path, ppm], check=True)
        self.width, self.height, self.rgb = read_ppm(ppm)
        self.rgb = bytearray(self.rgb)
        os.remove(ppm)

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return bytes(self.rgb[i:i + 3])

    def fill(self, box, color):
        x0, y0, x1, y1 = box
        for y in range(max(y0, 0), min(y1, self.height)):
            for x in range(max(x0, 0), min(x1, self.width)):
                i = (y * self.width + x) * 3
                self.rgb[i:i + 3] = color


def boxes(preview_step, real_form):
    """(name, drawn, box, descendants' boxes) of each visible control, in
    screenshot pixels."""
    left, top = real_form["client_left"], real_form["client_top"]
    right = left + real_form["client_width"]
    bottom = top + real_form["client_height"]
    origin = []  # (x, y, visible) of the open controls by depth
    depth_of, out = {}, []
    controls = preview_step["controls"]
    # The report lists each control after its parent: its depth is one
    # more than the parent's.
    for c in controls:
        depth = 0 if c["parent"] == preview_step["form"]["name"] or \
            c["parent"] not in depth_of else depth_of[c["parent"]] + 1
        depth_of[c["name"]] = depth
        del origin[depth:]
        px, py, shown = (left, top, True) if depth == 0 else origin[-1]
        x, y = px + c["left"], py + c["top"]
        visible = shown and c["visible"]
        origin.append((x, y, visible))
        control_origin = (x, y)
        # A control without a parent is on no window.
        visible = visible and c["parent"] != ""
        box = (max(x, left), max(y, top), min(x + c["width"], right),
               min(y + c["height"], bottom))
        out.append({"name": c["name"], "owner": c["owner"], "depth": depth,
                    "drawn": c.get("drawn", True), "visible": visible,
                    "box": box, "inner": [], "class": c.get("class", ""),
                    "origin": control_origin,
                    "caption": c.get("caption") or "",
                    "size": (c["width"], c["height"])})
    # What lies inside each control is painted by its children.
    for i, c in enumerate(out):
        for d in out[i + 1:]:
            if d["depth"] <= c["depth"]:
                break
            if d["visible"]:
                c["inner"].append(d["box"])
    return out


def background(picture, form):
    counts = {}
    x0, y0 = form["client_left"], form["client_top"]
    for y in range(y0, min(y0 + form["client_height"], picture.height), 3):
        for x in range(x0, min(x0 + form["client_width"], picture.width), 3):
            p = picture.pixel(x, y)
            counts[p] = counts.get(p, 0) + 1
    return max(counts, key=counts.get)


def ink(picture, box, inner, bg):
    x0, y0, x1, y1 = box
    n = 0
    for y in range(max(y0, 0), min(y1, picture.height)):
        for x in range(max(x0, 0), min(x1, picture.width)):
            if any(a <= x < c and b <= y < d for a, b, c, d in inner):
                continue
            if picture.pixel(x, y) != bg:
                n += 1
                if n >= 2:
                    return n
    return n


def missing(picture, controls, bg):
    return [c for c in controls
            if c["visible"] and c["drawn"] and c["box"][2] > c["box"][0] and
            c["box"][3] > c["box"][1] and
            ink(picture, c["box"], c["inner"], bg) < 2]


TEXT_CLASSES = {"TButton", "TCheckBox", "TRadioButton", "TLabel",
                "TGroupBox", "TPanel"}
DARK = 90  # text is black; frames, bevels and boxes are lighter


def svg_texts(svg):
    """{control name: [(x, width, clip (x, y, w, h), baseline, content)]}
    of the measured,
    clipped texts the SVG draws in each control, in the control's own
    pixels (names drawn in grey for controls without a caption left out)."""
    clips = {m.group(1): tuple(float(m.group(i)) for i in range(2, 6))
             for m in re.finditer(
                 r'<clipPath id="([^"]+)"><rect x="([-\d.]+)" '
                 r'y="([-\d.]+)" width="([-\d.]+)" height="([-\d.]+)"/>',
                 svg)}
    out = {}
    parts = re.split(r"<title>([^<]*) \([^<]*\)</title>", svg)
    # parts: text before the first title, then (name, what follows) pairs;
    # a control's own texts come before the next nested viewport.
    for name, body in zip(parts[1::2], parts[2::2]):
        own = re.split(r"<svg |</svg>", body)[0]
        texts = []
        for m in re.finditer(r"<text ([^>]*)>([^<]*)</text>", own):
            attrs = dict(re.findall(r'([\w-]+)="([^"]*)"', m.group(1)))
            ref = re.match(r"url\(#(.+)\)", attrs.get("clip-path", ""))
            if not ref or "textLength" not in attrs or \
                    attrs.get("fill") == "#8a8a8a" or ref.group(1) not in clips:
                continue
            texts.append((float(attrs["x"]), float(attrs["textLength"]),
                          clips[ref.group(1)], float(attrs["y"]),
                          m.group(2)))
        out.setdefault(name, texts)
    return out


def misplaced_text(picture, control, texts):
    """Why the control's text stands elsewhere on the screenshot than in
    the SVG; "" when it stands there (or is not checked)."""
    if control["class"] not in TEXT_CLASSES or not texts or \
            not control["visible"]:
        return ""
    ox, oy = control["origin"]
    cw, ch = control["size"]
    for x, width, (cx, cy, w, h), _, _ in texts:
        # Only text that the control shows whole, on the screenshot too.
        if x < cx or x + width > cx + w or cx < 0 or cy < 0 or \
                cx + w > cw or cy + h > ch:
            return ""
    xs, ys = [], []
    for x, width, (cx, cy, w, h), _, _ in texts:
        for y in range(int(oy + cy), int(oy + cy + h)):
            for px in range(int(ox + cx), int(ox + cx + w)):
                # The controls inside (a panel's buttons) draw their own.
                if any(a <= px < c and b <= y < d
                       for a, b, c, d in control["inner"]):
                    continue
                if 0 <= px < picture.width and 0 <= y < picture.height and \
                        max(picture.pixel(px, y)) < DARK:
                    xs.append(px - ox)
                    ys.append(y - oy)
    if not xs:
        return ""  # the region check says what is missing
    left = min(t[0] for t in texts)
    problem = start_problem(control["name"], min(xs), left)
    # One line without descenders ends on its baseline (an accelerator's
    # underline lies below it).
    _, _, _, baseline, content = texts[0]
    if not problem and len(texts) == 1 and content.strip() and \
            not set(content) & set(DESCENDERS) and \
            "&" not in control["caption"].replace("&&", ""):
        problem = baseline_problem(control["name"], max(ys) + 1, baseline)
    return problem


DESCENDERS = "gjpqyQ,;()[]{}|/_@$"


def baseline_problem(name, ink_bottom, baseline):
    """The row below the ink against the SVG's baseline."""
    if abs(ink_bottom - baseline) <= 1:
        return ""
    return (f"{name}'s text ends above row {ink_bottom} on the screen, on "
            f"the baseline {baseline:g} in the SVG")


def start_problem(name, ink_left, left):
    """The ink's first column against the text's start in the SVG: a
    glyph's side bearing leaves up to 2 px without ink."""
    if left - 1 <= ink_left <= left + 2:
        return ""
    return (f"{name}'s text starts at {ink_left} on the screen, at "
            f"{left:g} in the SVG")


def preview(cli, form, screen, steps, svg_dir):
    out = subprocess.run([cli, "preview", form, "--json", "--svg", svg_dir] +
                         screen + steps, capture_output=True, text=True,
                         check=False)
    if out.returncode != 0:
        return None, out.stderr.strip()
    return json.loads(out.stdout), ""


def check(cli, plan_path, out):
    passed = failed = 0
    for name, form, steps in read_plan(plan_path):
        for step in STEPS:
            base = os.path.join(out, f"{name}-{step}")
            real = complete_json(base + ".json")
            if real is None or not os.path.exists(base + ".png"):
                print(f"pictures {name} {step}: FAILED, no screenshot")
                failed += 1
                continue
            svg_dir = base + ".svg.d"
            doc, err = preview(cli, form, screen_args(real["screen"]),
                               steps[step], svg_dir)
            if doc is None:
                print(f"pictures {name} {step}: FAILED, preview: {err}")
                failed += 1
                continue
            svgs = sorted(os.listdir(svg_dir))
            os.replace(os.path.join(svg_dir, svgs[-1]), base + ".svg")
            for other in svgs[:-1]:
                os.remove(os.path.join(svg_dir, other))
            os.rmdir(svg_dir)
            real_form = real["steps"][-1]["form"]
            picture = Picture(base + ".png")
            controls = boxes(doc["steps"][-1], real_form)
            bg = background(picture, real_form)
            problems = [f"{c['name']} shows nothing at {c['box']}"
                        for c in missing(picture, controls, bg)]
            with open(base + ".svg", encoding="utf-8") as f:
                texts = svg_texts(f.read())
            placed = [c for c in controls
                      if c["class"] in TEXT_CLASSES and texts.get(c["name"])]
            problems += [p for p in (misplaced_text(picture, c,
                                                    texts.get(c["name"]))
                                     for c in placed) if p]
            checked = [c for c in controls if c["visible"] and c["drawn"]]
            # The check must see a control that is not there.
            if not problems and checked:
                probe = max(checked, key=lambda c: c["depth"])
                picture.fill(probe["box"], bg)
                if probe not in missing(picture, controls, bg):
                    problems.append("the check does not notice "
                                    f"{probe['name']} painted over")
            status = "ok" if not problems else "FAILED"
            # The text check must see text 6 px away from where it stands.
            if not problems and (not start_problem("probe", 10, 16) or
                                 not baseline_problem("probe", 20, 17)):
                problems.append("the text check does not notice text 6 px "
                                "to the left of its place or 3 px below")
            print(f"pictures {name} {step}: {status}, {len(checked)} of "
                  f"{len(controls)} controls drawn and found, "
                  f"{len(placed)} texts placed")
            for p in problems:
                print(f"  {p}")
            if problems:
                failed += 1
            else:
                passed += 1
    print(f"pictures: {passed} passed, {failed} failed")
    return failed == 0


def main(argv):
    if len(argv) == 5 and argv[1] == "shoot":
        return 0 if shoot(argv[2], argv[3], argv[4]) else 1
    if len(argv) == 5 and argv[1] == "check":
        return 0 if check(argv[2], argv[3], argv[4]) else 1
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
