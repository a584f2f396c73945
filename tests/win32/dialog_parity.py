#!/usr/bin/env python3
"""Holds the dialogs Wine made against the simulated desktop's.

  dialog_parity.py [--label L] [--min-share S] SIM NATIVE [SIM NATIVE ...]

Each SIM/NATIVE pair is two reports of dialog_layout.h's format for the
same files at one DPI: flexarium_dialog_layout's and the native test's.
Compared exactly, per dialog: whether it was made, its window rectangle and
client size, its control count, and each control's rectangle in the
dialog's client area. Prints the counts (dialogs, controls, equal,
differing) with the first differences, then "dialog parity: N passed, M
failed": one pass per report pair whose share of equal controls reaches
S (default 1.0: every control equal). The controls of a dialog one side
made and the other refused count as differing; a dialog missing from the
simulated report, or whose window differs, is listed too. The last line
starts with L instead when given (the reports of attached dialogs).
"""
import collections
import sys

SHOW = 25  # differences listed per pair


def read(path):
    dialogs, controls, order = {}, {}, []
    with open(path, encoding="utf-8", errors="replace") as f:
        for line in f:
            fields = line.rstrip("\r\n").split("\t")
            if fields[0] == "D" and len(fields) >= 6:
                key = tuple(fields[1:5])
                dialogs[key] = fields[5:]
                order.append(key)
            elif fields[0] == "C" and len(fields) >= 12:
                key = tuple(fields[1:5])
                controls.setdefault(key, []).append(fields[5:])
    return dialogs, controls, order


def name(key):
    return f"{key[0]} dialog {key[1]} (lang {key[2]}, {key[3]} DPI)"


def compare(sim_path, native_path, share):
    sim, sim_controls, _ = read(sim_path)
    real, real_controls, order = read(native_path)
    stats = {"dialogs": 0, "made": 0, "controls": 0, "equal": 0,
             "differing": 0, "dialog_differences": 0}
    problems = []
    by_class = collections.Counter()  # differing controls per window class
    for key in order:
        stats["dialogs"] += 1
        r = real[key]
        s = sim.get(key)
        if s is None:
            problems.append(f"{name(key)}: not in the simulated report")
            stats["dialog_differences"] += 1
            continue
        if (r[0] == "refused") != (s[0] == "refused"):
            problems.append(f"{name(key)}: {'refused' if r[0] == 'refused' else 'made'} "
                            f"by Wine, {'refused' if s[0] == 'refused' else 'made'} "
                            "simulated")
            stats["dialog_differences"] += 1
            stats["differing"] += len(real_controls.get(key, []))
            stats["controls"] += len(real_controls.get(key, []))
            continue
        if r[0] == "refused":
            continue
        stats["made"] += 1
        if r != s:
            problems.append(f"{name(key)}: window {' '.join(r)} real, "
                            f"{' '.join(s)} simulated")
            stats["dialog_differences"] += 1
        rc = real_controls.get(key, [])
        sc = sim_controls.get(key, [])
        for i, control in enumerate(rc):
            stats["controls"] += 1
            other = sc[i] if i < len(sc) else None
            if other == control:
                stats["equal"] += 1
                continue
            stats["differing"] += 1
            by_class[control[2]] += 1
            problems.append(
                f"{name(key)}: control {control[0]} (ID {control[1]}, "
                f"{control[2]}): {' '.join(control[3:])} real, "
                f"{' '.join(other[3:]) if other else 'missing'} simulated")
    controls = stats["controls"]
    got = stats["equal"] / controls if controls else 1.0
    print(f"{native_path}: {stats['dialogs']} dialogs ({stats['made']} made), "
          f"{controls} controls: {stats['equal']} equal, "
          f"{stats['differing']} differing ({got:.1%} equal); "
          f"{stats['dialog_differences']} dialogs differ in their window")
    if by_class:
        print("  differing by class: " + ", ".join(
            f"{cls} {n}" for cls, n in by_class.most_common()))
    for p in problems[:SHOW]:
        print("  " + p)
    if len(problems) > SHOW:
        print(f"  ... and {len(problems) - SHOW} more")
    return got >= share and stats["dialogs"] > 0


def main(argv):
    share = 1.0
    label = "dialog parity"
    while len(argv) >= 2 and argv[0] in ("--min-share", "--label"):
        if argv[0] == "--min-share":
            share = float(argv[1])
        else:
            label = argv[1]
        argv = argv[2:]
    if not argv or len(argv) % 2 != 0:
        sys.exit(__doc__)
    passed = failed = 0
    for i in range(0, len(argv), 2):
        if compare(argv[i], argv[i + 1], share):
            passed += 1
        else:
            failed += 1
    print(f"{label} (threshold: {share:.0%} of the controls equal): "
          f"{passed} passed, {failed} failed")
    return 0 if failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
