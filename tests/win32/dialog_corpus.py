#!/usr/bin/env python3
"""Compiles the resource scripts of the dialog corpus with MinGW's windres.

  dialog_corpus.py CORPUS_DIR OUT_DIR WINDRES

CORPUS_DIR is the shared corpus/rc folder (its MANIFEST.md lists the root
scripts and what each needs). Each root script is compiled from a copy of
its application's folder, so the stored files stay as they are; in the copy
the script gets what Windows' resource compiler would have found and MinGW's
does not:

- files spelled with backslashes or in another letter case (the script
  was written on a case-blind system with `\\` separators): a link with the
  exact spelling beside the file that names it;
- UTF-16 scripts and headers: converted to UTF-8, compiled with -c 65001;
- `CommCtrl.h`, `SDKDDKVer.h`: links to MinGW's lower-case headers;
  `verrsrc.h` (not in MinGW): includes `<winver.h>`; MFC's `afxres.h` ids
  the scripts use, with placeholder numbers; an empty `afxres.rc`;
- SpinTest.Rc: the commas its MENUITEM lines lack (Microsoft's compiler
  reads them without); UIAnimationTest.rc: its DLGINIT blocks (MFC combo
  box data, which windres does not know) left out;
- openvpn-gui's English part: compiled through a wrapper that gives it what
  the project's main script gives it.

Writes OUT_DIR/<name>.res for each root and OUT_DIR/corpus.list (one .res
path a line). A script that does not compile fails the run with windres's
messages.
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile

# (local dir, root script, output name, extra windres options)
ROOTS = [
    ("7zip", "CPP/7zip/Bundles/Fm/resource.rc", "7zip-fm", []),
    ("notepad-plus-plus",
     "PowerEditor/src/WinControls/Preference/preference.rc",
     "npp-preference", []),
    ("notepad-plus-plus",
     "PowerEditor/src/ScintillaComponent/FindReplaceDlg.rc",
     "npp-findreplace", []),
    ("windows-classic-samples",
     "Samples/Win7Samples/winui/controls/custom/spincube/SpinTest.Rc",
     "spintest", []),
    ("windows-classic-samples",
     "Samples/Win7Samples/winbase/storage/EhStorEnumerator/"
     "EhStorEnumerator2/EhStorEnumerator2.rc", "ehstor", []),
    ("windows-classic-samples",
     "Samples/Win7Samples/winui/speech/ttsapplication/TtsApplication.rc",
     "ttsapp", []),
    ("windows-classic-samples",
     "Samples/Win7Samples/multimedia/directshow/vmr9/vmrplayer/vcdplyer.rc",
     "vcdplayer", []),
    ("windows-classic-samples",
     "Samples/Win7Samples/winui/shell/appplatform/aerowizards/"
     "migratingtoaerowizardssdksample/wizard97/Wizard97.rc", "wizard97", []),
    ("vcsamples", "VC2010Samples/MFC/general/CmnCtrl1/CmnCtrl1.rc",
     "cmnctrl1", []),
    ("vcsamples", "VC2010Samples/MFC/general/ctrltest/ctrltest.rc",
     "ctrltest", []),
    ("vcsamples",
     "VC2010SP1Samples/MFC/Animation/UIAnimationTest/UIAnimationTest.rc",
     "uianimation", []),
    ("vcsamples", "VC2010Samples/International/unires/unires.rc",
     "unires", []),
    ("systeminformer", "plugins/WindowExplorer/WindowExplorer.rc",
     "windowexplorer", []),
    ("systeminformer", "plugins/UserNotes/UserNotes.rc", "usernotes", []),
    ("tortoisegit", "src/TortoiseIDiff/TortoiseIDiff.rc", "tortoiseidiff",
     []),
    ("tortoisegit", "src/SshAskPass/SshAskPass.rc", "sshaskpass", []),
    ("teraterm", "teraterm/ttpdlg/ttpdlg.rc", "ttpdlg", []),
    ("openvpn-gui", "res/openvpn-gui-res-en.rc", "openvpn-gui", []),
]

OPENVPN_WRAPPER = """#include <winresrc.h>
#include <richedit.h>
#include "../openvpn-gui-res.h"
#pragma code_page(65001)
#define ADVANCED_DIALOG_HEIGHT 280
#include "openvpn-gui-res-en.rc"
"""

# MFC's resource ids the scripts use that MinGW's afxres.h lacks.
AFXRES = """#include <windows.h>
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
#define ID_APP_ABOUT 0xE140
#define ID_APP_EXIT 0xE141
#define AFX_IDI_STD_FRAME 128
#define AFX_IDS_DESKACCESSORY 0xF010
"""

TEXT_SUFFIXES = (".rc", ".rc2", ".dlg", ".h")
# Names of files: quoted, in angle brackets, or bare words with a suffix.
QUOTED = re.compile(r'"([^"\n]+)"|<([^>\n]+)>|'
                    r'(?<![\w"])([\w\\/.-]+\.(?:ico|bmp|cur|png|avi|dlg|rc2|h))'
                    r'(?![\w"])', re.I)


def convert_utf16(tree):
    """UTF-16 files become UTF-8; returns whether any was converted."""
    converted = False
    for folder, _, files in os.walk(tree):
        for name in files:
            if not name.lower().endswith(TEXT_SUFFIXES):
                continue
            path = os.path.join(folder, name)
            with open(path, "rb") as f:
                data = f.read()
            if data.startswith(b"\xff\xfe"):
                with open(path, "wb") as f:
                    f.write(data[2:].decode("utf-16-le").encode("utf-8"))
                converted = True
    return converted


def find_blind(folder, spelled):
    """The file `spelled` names from `folder`, matched without regard to
    letter case or separator; None when there is none."""
    parts = [p for p in re.split(r"[\\/]+", spelled) if p]
    current = folder
    for part in parts:
        if part == "..":
            current = os.path.dirname(current)
            continue
        if part == ".":
            continue
        if not os.path.isdir(current):
            return None
        match = [e for e in os.listdir(current) if e.lower() == part.lower()]
        if not match:
            return None
        current = os.path.join(current, match[0])
    return current if os.path.isfile(current) else None


def add_spelling_links(tree):
    """Links named as the scripts spell the files they name."""
    for folder, _, files in os.walk(tree):
        for name in files:
            if not name.lower().endswith(TEXT_SUFFIXES):
                continue
            with open(os.path.join(folder, name), "rb") as f:
                text = f.read().decode("utf-8", "replace")
            for line in text.splitlines():
                include = line.lstrip().startswith("#include")
                for m in QUOTED.finditer(line):
                    spelled = m.group(1) or m.group(2) or m.group(3)
                    # In a resource statement "\\" is one backslash; an
                    # #include takes the name as written.
                    if not include:
                        spelled = spelled.replace("\\\\", "\\")
                    if "\\" not in spelled and "/" not in spelled and \
                            "." not in spelled:
                        continue
                    link = os.path.join(folder, spelled)
                    if "/" not in spelled and os.path.lexists(link):
                        continue
                    if "/" in spelled:
                        if os.path.exists(link):
                            continue
                        target = find_blind(folder, spelled)
                        if target is None:
                            continue
                        os.makedirs(os.path.dirname(link), exist_ok=True)
                        if not os.path.lexists(link):
                            os.symlink(target, link)
                        continue
                    target = find_blind(folder, spelled)
                    if target is not None:
                        os.symlink(target, link)


def stub_dir(work, mingw_include):
    """An include folder with the headers MinGW lacks or spells otherwise."""
    stubs = os.path.join(work, "stubs")
    os.makedirs(stubs)
    for spelled, actual in (("CommCtrl.h", "commctrl.h"),
                            ("SDKDDKVer.h", "sdkddkver.h")):
        target = os.path.join(mingw_include, actual)
        if os.path.exists(target):
            os.symlink(target, os.path.join(stubs, spelled))
    with open(os.path.join(stubs, "verrsrc.h"), "w") as f:
        f.write("#include <winver.h>\n")
    with open(os.path.join(stubs, "afxres.h"), "w") as f:
        f.write(AFXRES)
    open(os.path.join(stubs, "afxres.rc"), "w").close()
    return stubs


def fix_script(path, name):
    with open(path, "rb") as f:
        text = f.read().decode("utf-8", "replace")
    if name == "spintest":
        text = re.sub(r'(MENUITEM\s+"[^"]*")\s+(?=[A-Za-z_])', r"\1, ", text)
    if name == "uianimation":
        text = re.sub(r"^\s*\w+\s+DLGINIT\s*\n\s*BEGIN.*?^\s*END\s*$", "",
                      text, flags=re.S | re.M)
    with open(path, "wb") as f:
        f.write(text.encode("utf-8"))


def mingw_include_dir(windres):
    prefix = os.path.dirname(os.path.dirname(os.path.realpath(
        shutil.which(windres) or windres)))
    for candidate in ("/usr/share/mingw-w64/include",
                      os.path.join(prefix, "x86_64-w64-mingw32", "include")):
        if os.path.isdir(candidate):
            return candidate
    return "/usr/share/mingw-w64/include"


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    corpus, out, windres = sys.argv[1:]
    os.makedirs(out, exist_ok=True)
    include = mingw_include_dir(windres)
    outputs = []
    failed = False
    with tempfile.TemporaryDirectory(prefix="flexarium-rc-") as work:
        stubs = stub_dir(work, include)
        for local, script, name, extra in ROOTS:
            tree = os.path.join(work, name)
            shutil.copytree(os.path.join(corpus, local), tree, symlinks=True)
            utf8 = convert_utf16(tree)
            add_spelling_links(tree)
            root = os.path.join(tree, script)
            fix_script(root, name)
            options = list(extra)
            if name == "openvpn-gui":
                wrapper = os.path.join(os.path.dirname(root), "wrapper.rc")
                with open(wrapper, "w") as f:
                    f.write(OPENVPN_WRAPPER)
                root = wrapper
                utf8 = True
            if name == "unires":
                utf8 = True
            if utf8:
                options += ["-c", "65001"]
            res = os.path.join(out, name + ".res")
            command = [windres, "-O", "res", "-I.", "-I", stubs] + options + \
                ["-i", os.path.basename(root), "-o", res]
            run = subprocess.run(command, cwd=os.path.dirname(root),
                                 capture_output=True, text=True, check=False)
            if run.returncode != 0:
                failed = True
                print(f"{local}/{script}: windres failed:\n{run.stderr}",
                      file=sys.stderr)
                continue
            outputs.append(res)
    with open(os.path.join(out, "corpus.list"), "w", encoding="utf-8") as f:
        f.write("".join(p + "\n" for p in outputs))
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
