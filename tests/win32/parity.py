#!/usr/bin/env python3
"""Compares flexarium-demo's reports from real windows with `flexarium
preview --json` on a simulated desktop set up as the real one reported.

  parity.py plan CLI FORMS_DIR LIST     writes one line per top-level form:
                                        NAME FILE STEP-ARGS...
  parity.py compare CLI LIST LOGS       compares LOGS/parity-NAME.json with
                                        the preview of the same steps

The steps: show, client 1.5x and 0.75x the design client size, maximize,
restore, minimize, restore. Compared exactly: each control's bounds (in its
parent's client area) and font size, list-view columns and header sections
(read from the real windows), the form's client size, window state
and factors. Not compared: non-client sizes and the form's position, which
depend on the system's frame metrics. A step whose client sizes differ (a
maximized form, whose client area is the screen less those metrics) is
listed but its controls are not compared, since they follow the client
size. A drop-down combo box's height is set by the real system from its
font, while the preview reports the height the form gave it (the form's
own record, which the framework does not read back from the window): that
difference is listed as a note, not a mismatch. The last line is "parity: N passed, M failed" (one per form).
"""
import json
import os
import subprocess
import sys


def preview(cli, path, extra):
    out = subprocess.run([cli, "preview", path, "--json"] + extra,
                         capture_output=True, text=True, check=False)
    if out.returncode != 0:
        return None, out.stderr.strip()
    return json.loads(out.stdout), ""


def plan(cli, forms_dir, list_path):
    lines = []
    for name in sorted(os.listdir(forms_dir)):
        if not name.endswith(".dfm"):
            continue
        path = os.path.join(forms_dir, name)
        doc, err = preview(cli, path, [])
        if doc is None:
            print(f"parity: {name} skipped ({err.splitlines()[-1]})")
            continue
        form = doc["steps"][0]["form"]
        w, h = form["client_width"], form["client_height"]
        steps = [
            "--client", f"{round(w * 1.5)}x{round(h * 1.5)}",
            "--client", f"{round(w * 0.75)}x{round(h * 0.75)}",
            "--maximize", "--restore", "--minimize", "--restore",
        ]
        lines.append(" ".join([name[:-4], path] + steps))
    with open(list_path, "w", encoding="utf-8") as f:
        f.write("\n".join(lines) + "\n")


def screen_args(screen):
    return [
        "--screen", f"{screen['width']}x{screen['height']}",
        "--dpi", f"{screen['dpi_x']}x{screen['dpi_y']}",
        "--taskbar", screen["taskbar"],
        "--windows", screen["windows"],
        "--locale", screen["locale"],
        "--composition", "on" if screen["composition"] else "off",
    ] + (["--frame", screen["frame"]] if screen.get("frame") else [])


def compare_step(real, sim, problems, notes):
    action = real["action"]
    if action != sim["action"]:
        problems.append(f"step {action}: simulated step is {sim['action']}")
        return
    rf, sf = real["form"], sim["form"]
    for key in ("window_state", "shown"):
        if rf[key] != sf[key]:
            problems.append(f"{action}: form {key} {rf[key]} real, "
                            f"{sf[key]} simulated")
    rc = (rf["client_width"], rf["client_height"])
    sc = (sf["client_width"], sf["client_height"])
    if rc != sc:
        notes.append(f"{action}: controls not compared, client "
                     f"{rc[0]}x{rc[1]} real, {sc[0]}x{sc[1]} simulated "
                     "(frame metrics differ)")
        return
    if rf["font_size"] != sf["font_size"]:
        problems.append(f"{action}: form font {rf['font_size']} pt real, "
                        f"{sf['font_size']} pt simulated")
    for key in ("xscale", "yscale"):
        a, b = real[key], sim[key]
        if (a is None) != (b is None) or (a is not None and abs(a - b) > 1e-6):
            problems.append(f"{action}: {key} {a} real, {b} simulated")
    if real["passes"] != sim["passes"]:
        notes.append(f"{action}: {real['passes']} rescale passes real, "
                     f"{sim['passes']} simulated")
    if real["errors"] or sim["errors"]:
        problems.append(f"{action}: errors {real['errors']} real, "
                        f"{sim['errors']} simulated")
    if len(real["controls"]) != len(sim["controls"]):
        problems.append(f"{action}: {len(real['controls'])} controls real, "
                        f"{len(sim['controls'])} simulated")
        return
    form_name = rf["name"]
    for rc_, sc_ in zip(real["controls"], sim["controls"]):
        name = rc_["name"]
        if rc_["owner"] != form_name:
            name = f"{rc_['owner']}.{name}"
        if rc_["name"] != sc_["name"] or rc_["owner"] != sc_["owner"]:
            problems.append(f"{action}: control {name} real, "
                            f"{sc_['name']} simulated")
            continue
        # List-view columns and header sections as the real windows have
        # them (an automatic width only as stored).
        if rc_.get("columns") != sc_.get("columns"):
            problems.append(f"{action}: {name}.columns {rc_.get('columns')} "
                            f"real, {sc_.get('columns')} simulated")
        for key in ("left", "top", "width", "height", "font_size", "visible"):
            if rc_[key] == sc_[key]:
                continue
            if key == "height" and rc_.get("look") == "combo":
                notes.append(f"{action}: {name}.height {rc_[key]} real, "
                             f"{sc_[key]} simulated (combo box height "
                             "follows its font)")
            else:
                problems.append(f"{action}: {name}.{key} {rc_[key]} real, "
                                f"{sc_[key]} simulated")


def print_tail(path, lines=15):
    """The last lines of a run's error output, so a failure in CI says why."""
    try:
        with open(path, encoding="utf-8", errors="replace") as f:
            tail = f.read().splitlines()[-lines:]
    except OSError as e:
        print(f"  ({path}: {e})")
        return
    for line in tail:
        print(f"  {line}")


def compare(cli, list_path, logs):
    passed = failed = 0
    with open(list_path, encoding="utf-8") as f:
        plans = [line.split() for line in f if line.strip()]
    for name, path, *steps in plans:
        real_path = os.path.join(logs, f"parity-{name}.json")
        try:
            with open(real_path, encoding="utf-8", errors="replace") as f:
                real = json.load(f)
        except (OSError, ValueError) as e:
            print(f"parity {name}: FAILED, no report from real windows ({e})")
            print_tail(os.path.join(logs, f"parity-{name}.err"))
            failed += 1
            continue
        sim, err = preview(cli, path, screen_args(real["screen"]) + steps)
        if sim is None:
            print(f"parity {name}: FAILED, preview: {err}")
            failed += 1
            continue
        problems, notes = [], []
        if len(real["steps"]) != len(sim["steps"]):
            problems.append(f"{len(real['steps'])} steps real, "
                            f"{len(sim['steps'])} simulated")
        compared = 0
        for r, s in zip(real["steps"], sim["steps"]):
            before = len(notes)
            compare_step(r, s, problems, notes)
            if not any("not compared" in n for n in notes[before:]):
                compared += 1
        status = "ok" if not problems else "FAILED"
        print(f"parity {name}: {status}, {compared} of {len(real['steps'])} "
              f"steps compared, {len(real['steps'][0]['controls'])} controls")
        for p in problems[:40]:
            print(f"  mismatch: {p}")
        if len(problems) > 40:
            print(f"  ... {len(problems) - 40} more")
        for n in notes:
            print(f"  note: {n}")
        if problems:
            failed += 1
        else:
            passed += 1
    print(f"parity: {passed} passed, {failed} failed")
    return failed == 0


def main(argv):
    if len(argv) == 5 and argv[1] == "plan":
        plan(argv[2], argv[3], argv[4])
        return 0
    if len(argv) == 5 and argv[1] == "compare":
        return 0 if compare(argv[2], argv[3], argv[4]) else 1
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
