#!/usr/bin/env python3
"""A person's mouse on a real form with size limits, against the simulated
desktop's answer to the same gestures.

  mouse.py run DEMO FORM OUT     inside the Xvfb display, with Wine and
                                 xdotool: shows FORM with flexarium-demo
                                 --watch and, through the X test extension,
                                 drags each edge and corner of its frame,
                                 clicks maximise and restore and
                                 double-clicks the caption; OUT/mouse.jsonl
                                 holds the demo's report after each gesture,
                                 OUT/mouse-gestures.json the gestures
  mouse.py check CLI FORM OUT    runs each gesture with `flexarium run` on a
                                 simulated desktop set up as the real one,
                                 from the same window rectangle, and
                                 compares; the last line is
                                 "mouse: N passed, M failed"

A form with KeepAspect = True gets a gesture list of its own (the drags
of the list above would take it off the screen).

FORM may also be a dialog, FILE:ID (a resource file and the dialog's
number or name): the demo makes it from its template and attaches the
component (--dialog), with the size limits of mouse_form.dfm given as
options (DIALOG_SETTINGS); the simulation makes the same dialog from the
same file (the scenario's `dialog` and `attach` lines).

Compared for each gesture: the window's rectangle and state, the sizes
the window took while the edge moved (all within FormMin* and FormMax*),
every control's bounds and font size once the window came to rest
(against the simulation at that same window size), and the demo's
caption, which shows the factors of the last rescale pass.

Wine's sizing loop keeps the pointer one pixel inside the limit it clips
it to: an edge that runs into the tracking maximum stops one pixel short
of it when it is the right or bottom edge (and one pixel past the
tracking minimum when it is the left or top edge). Windows clamps the
size itself and reaches both limits exactly, as the simulation does; the
check expects Wine's pixel where it applies and exactly the simulation's
result everywhere else. The gestures never push an edge to the system's
own minimum tracking size (the form's minimum lies far above it).
"""
import json
import os
import re
import subprocess
import sys
import time

EDGES = {
    "left": (-1, 0), "right": (1, 0), "top": (0, -1), "bottom": (0, 1),
    "topleft": (-1, -1), "topright": (1, -1), "bottomleft": (-1, 1),
    "bottomright": (1, 1),
}

# (gesture, target, dx, dy): a drag moves the pointer by (dx, dy) from the
# edge or corner; a click or double-click hits a caption button or the
# caption. Each edge and corner once, past the form's maximum and minimum.
GESTURES = [
    ("drag", "right", 900, 0),         # past FormMaxWidth
    ("drag", "right", -900, 0),        # past FormMinWidth: the edge is held
    ("drag", "left", 150, 0),          # past FormMinWidth: right edge pushed
    ("drag", "top", 0, 150),           # past FormMinHeight: bottom pushed
    ("drag", "top", 0, -510),          # past FormMaxHeight
    ("drag", "bottom", 0, -600),       # past FormMinHeight: the edge is held
    ("drag", "bottom", 0, 700),        # past FormMaxHeight
    ("drag", "left", -300, 0),
    ("drag", "bottomright", -200, -200),
    ("drag", "topleft", 200, 400),     # past both minimums: both pushed
    ("drag", "topright", 700, -300),
    ("drag", "bottomleft", -600, 500),  # past both maximums
    ("click", "maxbutton", 0, 0),      # maximise
    ("click", "maxbutton", 0, 0),      # restore
    ("dblclick", "caption", 0, 0),     # maximise
    ("dblclick", "caption", 0, 0),     # restore
]

# For a form that keeps its aspect ratio (KeepAspect = True): every edge
# drives the other dimension, so the drags stay well inside the limits and
# the screen; a corner goes the way of its larger change.
ASPECT_GESTURES = [
    ("drag", "right", 200, 0),
    ("drag", "bottom", 0, -100),
    ("drag", "bottomright", 150, 20),
    ("drag", "left", 100, 0),
    ("drag", "top", 0, -50),
    ("drag", "topleft", -40, -100),
    ("click", "maxbutton", 0, 0),      # maximise: the ratio kept, centred
    ("click", "maxbutton", 0, 0),      # restore
]


# The component's properties for a dialog: mouse_form.dfm's limits.
DIALOG_SETTINGS = [("FormMaxWidth", 1200), ("FormMaxHeight", 800),
                   ("FormMinWidth", 400), ("FormMinHeight", 300)]


def dialog_of(form):
    """(FILE, ID) for a dialog named FILE:ID, None for a form file."""
    if form.lower().endswith(".dfm"):
        return None
    file, _, ident = form.rpartition(":")
    return (file, ident) if file and ident else None


def gestures_for(form):
    if dialog_of(form):
        return GESTURES
    with open(form, encoding="utf-8", errors="replace") as f:
        aspect = "KeepAspect = True" in f.read()
    return ASPECT_GESTURES if aspect else GESTURES


def winpath(path):
    return subprocess.run(["winepath", "-w", path], capture_output=True,
                          text=True, check=False).stdout.strip() or path


def demo_args(form):
    """What the demo is told to show."""
    dialog = dialog_of(form)
    if dialog is None:
        return [winpath(form)]
    args = ["--dialog", f"{winpath(dialog[0])}:{dialog[1]}"]
    for name, value in DIALOG_SETTINGS:
        args += ["--set", f"{name}={value}"]
    return args


def xdotool(*args):
    subprocess.run(["xdotool"] + [str(a) for a in args], check=True,
                   capture_output=True, timeout=10)


class Watch:
    """The demo's reports, one JSON line each."""

    def __init__(self, path):
        self.path = path
        self.lines = []

    def poll(self):
        try:
            with open(self.path, encoding="utf-8", errors="replace") as f:
                text = f.read()
        except OSError:
            return
        lines = [line for line in text.split("\n") if line.strip()]
        if text and not text.endswith("\n"):
            lines = lines[:-1]  # still being written
        self.lines = [json.loads(line) for line in lines]

    def wait(self, count, gestures, seconds=15):
        """The first report after the first `count` whose gesture is one
        of `gestures`."""
        deadline = time.time() + seconds
        while time.time() < deadline:
            self.poll()
            for i in range(count, len(self.lines)):
                if self.lines[i]["gesture"] in gestures:
                    return i
            time.sleep(0.1)
        return None


def rect(report):
    f = report["form"]
    return [f["left"], f["top"], f["width"], f["height"]]


def run(demo, form, out):
    os.makedirs(out, exist_ok=True)
    path = os.path.join(out, "mouse.jsonl")
    with open(path, "w") as report, \
            open(os.path.join(out, "mouse.err"), "w") as err:
        proc = subprocess.Popen(["timeout", "140", "wine", demo] +
                                demo_args(form) + ["--watch"],
                                stdout=report, stderr=err)
    watch = Watch(path)
    done = []
    try:
        at = watch.wait(0, ("show",), 40)
        if at is None:
            print("mouse: the demo showed no form")
            return False
        time.sleep(0.5)
        screen = watch.lines[0]["screen"]
        width, height = screen["width"], screen["height"]
        for kind, target, dx, dy in gestures_for(form):
            last = watch.lines[at]
            point = last["targets"].get(target)
            if point is None:
                print(f"mouse: no {target} on the frame to take hold of")
                return False
            x, y = point
            if not (0 <= x < width and 0 <= y < height):
                print(f"mouse: the {target} at {x},{y} is off the screen")
                return False
            count = len(watch.lines)
            if kind == "drag":
                # The pointer stays on the screen: what it moves is the
                # gesture.
                tx = min(max(x + dx, 0), width - 1)
                ty = min(max(y + dy, 0), height - 1)
                xdotool("mousemove", x, y)
                time.sleep(0.2)
                xdotool("mousedown", 1)
                time.sleep(0.2)
                for i in range(1, 5):
                    xdotool("mousemove", x + (tx - x) * i // 4,
                            y + (ty - y) * i // 4)
                    time.sleep(0.15)
                xdotool("mouseup", 1)
                expect = ("size",)
                dx, dy = tx - x, ty - y
            else:
                xdotool("mousemove", x, y)
                time.sleep(0.2)
                if kind == "click":
                    xdotool("click", 1)
                else:
                    xdotool("click", "--repeat", 2, "--delay", 120, 1)
                expect = ("maximize", "restore")
            nxt = watch.wait(count, expect)
            if nxt is None:
                print(f"mouse: no report after {kind} {target}")
                return False
            done.append({"kind": kind, "target": target, "dx": dx, "dy": dy,
                         "before": at, "after": nxt})
            at = nxt
            time.sleep(0.3)
        return True
    finally:
        with open(os.path.join(out, "mouse-gestures.json"), "w") as f:
            json.dump(done, f, indent=1)
        # A person closes the form with its close button.
        watch.poll()
        close = watch.lines[-1]["targets"].get("closebutton") \
            if watch.lines else None
        if proc.poll() is None and close is not None:
            xdotool("mousemove", *close)
            time.sleep(0.2)
            xdotool("click", 1)
        try:
            proc.wait(timeout=15)
        except subprocess.TimeoutExpired:
            proc.kill()


def form_limits(form):
    if dialog_of(form):
        return dict(DIALOG_SETTINGS)
    limits = {}
    with open(form, encoding="utf-8", errors="replace") as f:
        for line in f:
            m = re.match(r"\s*(FormM(?:in|ax)(?:Width|Height)) = (\d+)", line)
            if m:
                limits[m.group(1)] = int(m.group(2))
    return limits


def scenario_lines(screen, form):
    lines = [
        f"screen {screen['width']}x{screen['height']}",
        f"dpi {screen['dpi_x']}x{screen['dpi_y']}",
        f"taskbar {screen['taskbar']}",
        f"windows {screen['windows']}",
        f"locale {screen['locale']}",
        f"composition {'on' if screen['composition'] else 'off'}",
    ]
    if screen.get("frame"):
        lines.append(f"frame {screen['frame']}")
    dialog = dialog_of(form)
    if dialog is None:
        lines += [f"load {form}", "show"]
    else:
        # The options before `attach`, as the demo attaches with them.
        lines += [f"dialog {dialog[0]} {dialog[1]}"]
        lines += [f"set Flexarium1.{name} = {value}"
                  for name, value in DIALOG_SETTINGS]
        lines += ["attach", "show"]
    return lines


def put(r):
    return [f"move {r[0]} {r[1]}", f"outer {r[2]}x{r[3]}"]


def simulate(cli, lines, tmp):
    path = os.path.join(tmp, "mouse-gesture.scn")
    with open(path, "w", encoding="utf-8") as f:
        f.write("\n".join(lines) + "\n")
    out = subprocess.run([cli, "run", path], capture_output=True, text=True,
                         check=False)
    decoder, steps, text = json.JSONDecoder(), [], out.stdout
    pos = 0
    while True:
        start = text.find("{", pos)
        if start < 0:
            break
        step, pos = decoder.raw_decode(text, start)
        steps.append(step)
    return steps, out.stderr.strip()


def wine_pixel(expected, start, gesture, aspect):
    """The rectangle Wine's sizing loop gives where the simulation gives
    `expected` (see the module's notes). The tracking maximum an edge runs
    into is the form's maximum or, on a small screen, the screen's own: the
    simulated size falls short of what the pointer asked for either way.
    A form that keeps its aspect ratio sizes one side from the other, so
    there a shorter side says nothing about a limit."""
    sx, sy = EDGES[gesture["target"]]
    r = list(expected)
    if aspect:
        return r
    if sx > 0 and start[2] + gesture["dx"] > expected[2]:
        r[2] -= 1
    if sy > 0 and start[3] + gesture["dy"] > expected[3]:
        r[3] -= 1
    return r


def compare_controls(real, sim, problems, where):
    if len(real["controls"]) != len(sim["controls"]):
        problems.append(f"{where}: {len(real['controls'])} controls real, "
                        f"{len(sim['controls'])} simulated")
        return
    for rc, sc in zip(real["controls"], sim["controls"]):
        for key in ("left", "top", "width", "height", "font_size", "visible"):
            if rc[key] == sc[key]:
                continue
            if key == "height" and rc.get("look") == "combo":
                continue  # the real system sizes a combo box by its font
            problems.append(f"{where}: {rc['name']}.{key} {rc[key]} real, "
                            f"{sc[key]} simulated")


def check(cli, form, out):
    watch = Watch(os.path.join(out, "mouse.jsonl"))
    watch.poll()
    try:
        with open(os.path.join(out, "mouse-gestures.json")) as f:
            gestures = json.load(f)
    except (OSError, ValueError):
        gestures = []
    expected_gestures = gestures_for(form)
    if not watch.lines or len(gestures) != len(expected_gestures):
        print(f"mouse: FAILED, {len(gestures)} of {len(expected_gestures)} gestures "
              "made on real windows")
        print("mouse: 0 passed, 1 failed")
        return False
    limits = form_limits(form)
    base = scenario_lines(watch.lines[0]["screen"], form)
    passed = failed = 0
    normal = rect(watch.lines[0])  # the last rectangle in the normal state
    for g in gestures:
        before, after = watch.lines[g["before"]], watch.lines[g["after"]]
        start, end = rect(before), rect(after)
        label = f"{g['kind']} {g['target']}"
        if g["kind"] == "drag":
            label += f" by {g['dx']},{g['dy']}"
            d = [g["dx"]] if g["target"] in ("left", "right") else \
                [g["dy"]] if g["target"] in ("top", "bottom") else \
                [g["dx"], g["dy"]]
            steps = put(start) + ["drag " + g["target"] + " " +
                                  " ".join(map(str, d))]
        elif after["gesture"] == "maximize":
            steps = put(start) + ["maximize"]
        else:
            steps = put(normal) + ["maximize", "restore"]
        lines = base + steps + ["print json"]
        if after["form"]["window_state"] == "normal":
            lines += put(end) + ["print json"]
        else:
            lines += ["print json"]
        sims, err = simulate(cli, lines, out)
        problems = []
        if len(sims) != 2:
            problems.append(f"simulation: {err or 'no layout printed'}")
        else:
            expected = rect(sims[0])
            if g["kind"] == "drag":
                expected = wine_pixel(expected, start, g,
                                      expected_gestures is ASPECT_GESTURES)
            if end != expected:
                problems.append(f"window {end} real, {expected} expected "
                                f"(simulated {rect(sims[0])})")
            rs, ss = after["form"]["window_state"], \
                sims[0]["form"]["window_state"]
            if rs != ss:
                problems.append(f"state {rs} real, {ss} simulated")
            if rs == "maximized" and (
                    end[2] > limits["FormMaxWidth"] or
                    end[3] > limits["FormMaxHeight"]):
                problems.append(f"maximised to {end[2]}x{end[3]}, beyond "
                                "the maximum")
            compare_controls(after, sims[1], problems, "after the drop")
        for w, h in after.get("sizes_while_dragging", []):
            if not (limits["FormMinWidth"] <= w <= limits["FormMaxWidth"] and
                    limits["FormMinHeight"] <= h <= limits["FormMaxHeight"]):
                problems.append(f"{w}x{h} while dragging, outside the "
                                "limits")
                break
        # The demo's caption shows the factors of the last pass and the DPI.
        if after["xscale"] is not None:
            shown = (f"[x {after['xscale']:.3f}, y {after['yscale']:.3f}, "
                     f"font {after['font_scale']:.3f} at ")
            if shown not in after["form"]["caption"]:
                problems.append(f"caption '{after['form']['caption']}' "
                                f"without '{shown}... DPI]'")
        if after["form"]["window_state"] == "normal":
            normal = end
        moves = len(after.get("sizes_while_dragging", []))
        status = "ok" if not problems else "FAILED"
        print(f"mouse {label}: {status}, window {end[2]}x{end[3]} at "
              f"{end[0]},{end[1]} {after['form']['window_state']}"
              + (f", {moves} sizes on the way" if moves else ""))
        for p in problems[:20]:
            print(f"  mismatch: {p}")
        if problems:
            failed += 1
        else:
            passed += 1
    print(f"mouse: {passed} passed, {failed} failed")
    return failed == 0


def main(argv):
    if len(argv) == 5 and argv[1] == "run":
        return 0 if run(argv[2], argv[3], argv[4]) else 1
    if len(argv) == 5 and argv[1] == "check":
        return 0 if check(argv[2], argv[3], argv[4]) else 1
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
