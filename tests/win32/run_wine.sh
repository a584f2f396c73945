#!/usr/bin/env bash
# Builds the native tests with MinGW-w64 and runs them on real windows under
# Wine in one Xvfb display. Missing tools make it print "SKIPPED: <tool> not
# found" and exit 0; with FLEXARIUM_REQUIRE_NATIVE=1 (CI) a skip is a
# failure instead, and so is a skipped parity check. FLEXARIUM_WERROR=ON
# builds with warnings as errors.
#
#   run_wine.sh [--build-dir DIR] [--exe-dir DIR] [--cli FILE] [--bench]
#               [--docs] [--dialog-tool FILE] [--dialog-corpus LIST]
#
#   --build-dir DIR  build tree and Wine prefix (default build/win32-native)
#   --exe-dir DIR    run the exes found there instead of building
#   --cli FILE       the Linux `flexarium` command for the parity check
#                    (default build/default/flexarium; without it or
#                    python3 the check is skipped)
#   --bench          also run the native benchmarks (not part of the tests)
#   --docs           copy the screenshots and previews to docs/images/native
#   --dialog-tool FILE  flexarium_dialog_layout, the simulated side of the
#                    dialog parity check (without it the check is skipped)
#   --dialog-corpus LIST  the compiled corpus scripts (.res, one a line)
#                    whose dialogs the check makes, with Wine's own
#
# The parity check (parity.py) runs each example form through the same steps
# with flexarium-demo.exe on real windows and with `flexarium preview` on a
# simulated desktop set up as Wine reports the real one, and compares the
# layouts. The picture check (pictures.py, with xwd and ImageMagick) takes a
# screenshot of each example form at design size and at 1.5x, writes the
# preview of the same step beside it (BUILD_DIR/pictures) and checks that
# every control the preview draws shows on the real window.
#
# The dialog parity check (dialog_parity.py) makes every dialog of the
# corpus scripts and of a sample of Wine's own programs and DLLs with
# CreateDialogIndirectParamW on real windows at 96 and 144 DPI, and the same
# on the simulated desktop (flexarium_dialog_layout), and compares every
# control's rectangle. A sample file Wine's package lacks is skipped with a
# message (a failure with FLEXARIUM_REQUIRE_NATIVE=1). Then the same with
# the component attached to each top-level dialog, at 1.5x and 0.75x its
# client size: every control's rectangle and font height.
#
# The output check (cli_same.sh) runs flexarium.exe on every example form
# and scenario, and on Windows-style paths and files, against the Linux
# command, byte for byte.
#
# The prefix is made once under the build dir (about 8 s) and reused: crash
# dialogs off (a crash would otherwise wait on a dialog forever), unmanaged
# X11 windows (hiding or destroying a managed window stalls 2 s without a
# window manager), Wine's own fonts, and the Windows versions the identity
# and component tests expect. Each exe runs under `timeout`, the whole
# session under one more.
set -u

# Runs inside the Xvfb display (run_wine.sh --session). Each exe's output
# goes to a file: a pipe would wait on Wine's lingering background
# processes.
session() {
  local applied="$WINEPREFIX/.flexarium.reg" rc=0 status
  wineserver -p
  wine wineboot > "$FLX_LOGS/wineboot.log" 2>&1
  # Once per prefix, and again whenever the settings change.
  if ! cmp -s "$FLX_LOGS/prefix.reg" "$applied"; then
    wine regedit /S "$(winepath -w "$FLX_LOGS/prefix.reg")" \
      > "$FLX_LOGS/regedit.log" 2>&1
    if [ -d /usr/share/wine/fonts ]; then
      cp /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2> /dev/null
    fi
    cp "$FLX_LOGS/prefix.reg" "$applied"
  fi
  set_dpi() {
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD \
      /d "$1" /f > /dev/null 2>&1
  }
  # name, exe path, then the environment it runs with, then after "--" its
  # arguments
  run() {
    local name=$1 exe=$2 vars=()
    shift 2
    while [ $# -gt 0 ] && [ "$1" != "--" ]; do vars+=("$1"); shift; done
    [ $# -gt 0 ] && shift
    env "${vars[@]}" timeout 90 wine "$exe" "$@" > "$FLX_LOGS/$name.log" 2>&1
    status=$?
    echo "$status" > "$FLX_LOGS/$name.status"
    [ "$status" -eq 0 ] || rc=1
  }
  local x="$FLX_EXES"
  # The AppDefaults entry that makes Wine report Windows 98 is by exe name.
  cp "$x/component_test.exe" "$FLX_LOGS/component98_test.exe"
  set_dpi 96
  run framework "$x/framework_test.exe"
  run attach "$x/attach_test.exe"
  run desktop "$x/desktop_test.exe"
  run lock "$x/lock_test.exe"
  run component "$x/component_test.exe" FLX_EXPECT_VERSION=6.1
  run component-win98 "$FLX_LOGS/component98_test.exe" \
    FLX_EXPECT_VERSION=4.10
  run dpi-96 "$x/dpi_test.exe" FLX_EXPECT_DPI=96
  run identity "$x/identity_test.exe" FLX_EXPECT_VERSION=10.0 \
    FLX_EXPECT_LOCALE=ENU
  run identity-fr "$x/identity_test.exe" LC_ALL=fr_FR.UTF-8 \
    FLX_EXPECT_VERSION=10.0 FLX_EXPECT_LOCALE=FRA
  # Wine takes the locale from LC_ALL even when glibc has no such locale.
  run locale-en "$x/locale_test.exe" FLX_EXPECT_LANGUAGE=en
  run locale-ja "$x/locale_test.exe" LC_ALL=ja_JP.UTF-8 \
    FLX_EXPECT_LANGUAGE=ja
  # The example program a Win32 programmer copies: its dialog follows 1.5x
  # and 0.75x of its size, and gets its fonts back when detached.
  run dialog-app "$x/dialog_app.exe" -- --check
  set_dpi 144
  run dpi-144 "$x/dpi_test.exe" FLX_EXPECT_DPI=144
  # The dialogs at 144 and 96 DPI (the reports for dialog_parity.py).
  local dpi
  for dpi in 144 96; do
    set_dpi "$dpi"
    if [ -f "$FLX_LOGS/dialogs.files" ]; then
      run "dialogs-$dpi" "$x/dialog_parity_test.exe" FLX_EXPECT_DPI="$dpi" \
        FLX_DIALOG_FILES="$(winepath -w "$FLX_LOGS/dialogs.files")" \
        FLX_DIALOG_REPORT="$(winepath -w "$FLX_LOGS/dialogs-native-$dpi.report")"
    else
      run "dialogs-$dpi" "$x/dialog_parity_test.exe" FLX_EXPECT_DPI="$dpi"
    fi
  done
  run dpi-change "$x/dpi_change_test.exe" \
    FLX_FORMS="$(winepath -w "$FLX_FORMS")" \
    FLX_DPI_REPORT="$(winepath -w "$FLX_LOGS/dpi-change.report")"
  if [ -f "$FLX_LOGS/text.cases" ]; then
    run text-metrics "$x/text_metrics_test.exe" \
      FLX_TEXT_CASES="$(winepath -w "$FLX_LOGS/text.cases")" \
      FLX_TEXT_REPORT="$(winepath -w "$FLX_LOGS/text.native")"
  else
    run text-metrics "$x/text_metrics_test.exe"
  fi
  # flexarium.exe against the Linux command (cli_same.sh).
  if [ "$FLX_CLI_SAME" = 1 ]; then
    timeout 150 "$FLX_HERE/cli_same.sh" windows --exe "$x/flexarium.exe" \
      --work "$FLX_LOGS/cli" > "$FLX_LOGS/cli-same-run.log" 2>&1
  fi
  local demo="$x/flexarium-demo.exe"
  if [ -f "$FLX_LOGS/parity.list" ] && [ -e "$demo" ]; then
    local name file args
    local attempt out
    while read -r name file args; do
      out="$FLX_LOGS/parity-$name.json"
      # A second try when the first left no report: under a loaded machine
      # Wine has once lost a window's whole run (an empty report, no error).
      # Both tries' status and errors stay in the .err file for the checker.
      : > "$FLX_LOGS/parity-$name.err"
      for attempt in 1 2; do
        # shellcheck disable=SC2086  # the steps are words
        timeout 60 wine "$demo" "$(winepath -w "$file")" $args --json \
          > "$out" 2>> "$FLX_LOGS/parity-$name.err"
        status=$?
        echo "try $attempt: exit status $status" >> "$FLX_LOGS/parity-$name.err"
        [ -s "$out" ] && [ "$(head -c 1 "$out")" = "{" ] && break
      done
    done < "$FLX_LOGS/parity.list"
  fi
  # Wine draws the frame itself (Managed=N), so a crop of the screen to the
  # window's rectangle is the whole window.
  if [ "$FLX_PICTURES" = 1 ] && [ -e "$demo" ]; then
    python3 "$FLX_HERE/pictures.py" shoot "$demo" "$FLX_LOGS/parity.list" \
      "$FLX_SHOTS" > "$FLX_LOGS/pictures-shoot.log" 2>&1
  fi
  # A person's mouse through the X test extension.
  if [ "$FLX_MOUSE" = 1 ] && [ -e "$demo" ]; then
    timeout 150 python3 "$FLX_HERE/mouse.py" run "$demo" \
      "$FLX_HERE/mouse_form.dfm" "$FLX_LOGS/mouse" \
      > "$FLX_LOGS/mouse-run.log" 2>&1
    # The same gestures on a form that keeps its aspect ratio.
    timeout 150 python3 "$FLX_HERE/mouse.py" run "$demo" \
      "$FLX_HERE/ratio_form.dfm" "$FLX_LOGS/aspect" \
      > "$FLX_LOGS/aspect-run.log" 2>&1
    # And on the example program's dialog, made from its template with the
    # component attached.
    timeout 150 python3 "$FLX_HERE/mouse.py" run "$demo" \
      "$x/dialog_app.exe:101" "$FLX_LOGS/dialog" \
      > "$FLX_LOGS/dialog-run.log" 2>&1
  fi
  if [ "$FLX_BENCH" = 1 ]; then
    for b in "$FLX_EXES"/*_bench.exe; do
      [ -e "$b" ] || continue
      timeout 200 wine "$b" > "$FLX_LOGS/$(basename "$b" .exe).bench" 2>&1
    done
  fi
  wineserver -k
  return $rc
}
if [ "${1:-}" = "--session" ]; then
  session
  exit $?
fi

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)
build_dir="$root/build/win32-native"
exe_dir=""
cli="$root/build/default/flexarium"
bench=0
docs=0
dialog_tool=""
dialog_corpus=""
while [ $# -gt 0 ]; do
  case "$1" in
    --dialog-tool) dialog_tool=$2; shift 2 ;;
    --dialog-corpus) dialog_corpus=$2; shift 2 ;;
    --build-dir) build_dir=$2; shift 2 ;;
    --exe-dir) exe_dir=$2; shift 2 ;;
    --cli) cli=$2; shift 2 ;;
    --bench) bench=1; shift ;;
    --docs) docs=1; shift ;;
    *) echo "usage: $0 [--build-dir DIR] [--exe-dir DIR] [--cli FILE] [--bench] [--docs] [--dialog-tool FILE] [--dialog-corpus LIST]" >&2; exit 2 ;;
  esac
done

# What cannot run is skipped, unless the caller requires the native run.
skip() {
  if [ "${FLEXARIUM_REQUIRE_NATIVE:-0}" = 1 ]; then
    echo "FAILED: $1 (FLEXARIUM_REQUIRE_NATIVE=1)"
    exit 1
  fi
  echo "SKIPPED: $1"
  exit 0
}

need=(wine wineserver xvfb-run Xvfb xauth)
[ -z "$exe_dir" ] && need+=(x86_64-w64-mingw32-g++ cmake)
for tool in "${need[@]}"; do
  command -v "$tool" > /dev/null 2>&1 || skip "$tool not found"
done

mkdir -p "$build_dir"
build_dir=$(cd "$build_dir" && pwd)
logs="$build_dir/logs"
rm -rf "$logs"
mkdir -p "$logs"

if [ -z "$exe_dir" ]; then
  echo "== building the native tests (MinGW-w64)"
  if ! { cmake -S "$here" -B "$build_dir/cmake" \
           --toolchain "$root/cmake/mingw-w64.cmake" \
           -DCMAKE_BUILD_TYPE=Release \
           -DFLEXARIUM_WERROR="${FLEXARIUM_WERROR:-OFF}" &&
         cmake --build "$build_dir/cmake" -j2; } > "$logs/build.log" 2>&1; then
    tail -n 60 "$logs/build.log"
    echo "native build failed"
    exit 1
  fi
  exe_dir="$build_dir/cmake/bin"
fi
exe_dir=$(cd "$exe_dir" && pwd)

export WINEPREFIX="$build_dir/wineprefix"
export WINEDEBUG=-all
# No Mono or Gecko install prompts while the prefix is made.
export WINEDLLOVERRIDES="mscoree,mshtml="
export FLX_LOGS="$logs" FLX_EXES="$exe_dir" FLX_BENCH="$bench"
export FLX_SHOTS="$build_dir/pictures" FLX_HERE="$here"
export FLX_FORMS="$root/examples/forms"
parity=0
pictures=0
parity_skipped=""
if [ ! -e "$exe_dir/flexarium-demo.exe" ]; then
  parity_skipped="no flexarium-demo.exe in $exe_dir"
elif [ -x "$cli" ] && command -v python3 > /dev/null 2>&1; then
  python3 "$here/parity.py" plan "$cli" "$root/examples/forms" \
    "$logs/parity.list" && parity=1
  if [ "$parity" = 1 ] && command -v xwd > /dev/null &&
     command -v convert > /dev/null; then
    pictures=1
  fi
else
  parity_skipped="$cli or python3 not found"
fi
if [ -n "$parity_skipped" ]; then
  if [ "${FLEXARIUM_REQUIRE_NATIVE:-0}" = 1 ]; then
    echo "parity: FAILED ($parity_skipped; FLEXARIUM_REQUIRE_NATIVE=1)"
    exit 1
  fi
  echo "parity: SKIPPED ($parity_skipped)"
fi
if [ "$parity" = 1 ] && [ "$pictures" = 0 ]; then
  if [ "${FLEXARIUM_REQUIRE_NATIVE:-0}" = 1 ]; then
    echo "pictures: FAILED (xwd or ImageMagick's convert not found;" \
      "FLEXARIUM_REQUIRE_NATIVE=1)"
    exit 1
  fi
  echo "pictures: SKIPPED (xwd or ImageMagick's convert not found)"
fi
export FLX_PICTURES="$pictures"
# Text metrics parity: every string of the example and corpus forms (and a
# fixed set) in every face and size, measured by GDI and by the simulation.
text_parity=0
if [ -x "$cli" ]; then
  corpus="${FLEXARIUM_CORPUS_DIR:-$root/../shared/corpus/dfm}"
  forms=("$root"/examples/forms/*.dfm)
  if [ -d "$corpus" ]; then
    while IFS= read -r f; do forms+=("$f"); done \
      < <(find "$corpus" -name '*.dfm' | sort)
  fi
  "$cli" measure --plan "${forms[@]}" > "$logs/text.cases" \
    2> "$logs/text-plan.err" && text_parity=1
fi
mouse=0
if [ "$parity" = 1 ] && command -v xdotool > /dev/null; then
  mouse=1
elif [ "$parity" = 1 ]; then
  if [ "${FLEXARIUM_REQUIRE_NATIVE:-0}" = 1 ]; then
    echo "mouse: FAILED (xdotool not found; FLEXARIUM_REQUIRE_NATIVE=1)"
    exit 1
  fi
  echo "mouse: SKIPPED (xdotool not found)"
fi
export FLX_MOUSE="$mouse"
# The same outputs from flexarium.exe as from the Linux command.
cli_same=0
if [ -e "$exe_dir/flexarium.exe" ] && [ -x "$cli" ]; then
  "$here/cli_same.sh" prepare --cli "$cli" --work "$logs/cli" \
    > "$logs/cli-same-prepare.log" 2>&1 && cli_same=1
elif [ "${FLEXARIUM_REQUIRE_NATIVE:-0}" = 1 ]; then
  echo "cli-same: FAILED (no flexarium.exe in $exe_dir or no $cli;" \
    "FLEXARIUM_REQUIRE_NATIVE=1)"
  exit 1
else
  echo "cli-same: SKIPPED (no flexarium.exe in $exe_dir or no $cli)"
fi
export FLX_CLI_SAME="$cli_same"
# The dialogs to make on both desktops: the corpus scripts compiled at
# build time, and Wine's own notepad, regedit, winecfg, comdlg32 and
# shell32 as the libwine package installs them.
dialogs=0
if [ -x "$dialog_tool" ] && command -v python3 > /dev/null 2>&1; then
  : > "$logs/dialogs.linux"
  if [ -n "$dialog_corpus" ] && [ -f "$dialog_corpus" ]; then
    cat "$dialog_corpus" >> "$logs/dialogs.linux"
  else
    # Like the form corpus, the script corpus is the machine's, not the
    # project's: without it only Wine's sample is made.
    echo "dialogs: corpus SKIPPED (no compiled corpus list; needs windres," \
      "python3 and FLEXARIUM_RC_CORPUS_DIR at configure time)"
  fi
  wine_files=$(dpkg -L libwine 2> /dev/null | grep 'x86_64-windows/')
  for sample in notepad.exe regedit.exe winecfg.exe comdlg32.dll shell32.dll; do
    found=$(printf '%s\n' "$wine_files" | grep "/$sample\$" | head -n 1)
    if [ -n "$found" ] && [ -f "$found" ]; then
      echo "$found" >> "$logs/dialogs.linux"
    else
      echo "dialogs: $sample SKIPPED (not among libwine's x86_64-windows files)"
      [ "${FLEXARIUM_REQUIRE_NATIVE:-0}" = 1 ] && dialogs_missing=1
    fi
  done
  if [ "${dialogs_missing:-0}" = 1 ]; then
    echo "dialogs: FAILED (a dialog sample is missing;" \
      "FLEXARIUM_REQUIRE_NATIVE=1)"
    exit 1
  fi
  # Wine sees the root folder as drive Z:.
  sed -e 's|/|\\|g' -e 's|^|Z:|' "$logs/dialogs.linux" > "$logs/dialogs.files"
  dialogs=1
  for dpi in 96 144; do
    mapfile -t dialog_files < "$logs/dialogs.linux"
    "$dialog_tool" "$dpi" "$logs/dialogs-sim-$dpi.report" \
      "${dialog_files[@]}" > "$logs/dialogs-sim-$dpi.err" 2>&1 || dialogs=0
  done
  [ "$dialogs" = 1 ] || echo "dialogs: FAILED to make the simulated reports:" \
    "$(head -n 3 "$logs/dialogs-sim-96.err")"
elif [ "${FLEXARIUM_REQUIRE_NATIVE:-0}" = 1 ]; then
  echo "dialogs: FAILED (no flexarium_dialog_layout or python3;" \
    "FLEXARIUM_REQUIRE_NATIVE=1)"
  exit 1
else
  echo "dialogs: SKIPPED (no --dialog-tool or python3)"
fi
# What the tests are told to expect (see the session below).
export FLX_SCREEN_WIDTH=1920 FLX_SCREEN_HEIGHT=1080

cat > "$logs/prefix.reg" <<'REG'
Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000

[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\AeDebug]
"Debugger"="false"

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"

[HKEY_CURRENT_USER\Software\Wine\AppDefaults\identity_test.exe]
"Version"="win10"

[HKEY_CURRENT_USER\Software\Wine\AppDefaults\component_test.exe]
"Version"="win7"

[HKEY_CURRENT_USER\Software\Wine\AppDefaults\component98_test.exe]
"Version"="win98"
REG


echo "== running under Wine + Xvfb"
# About three minutes on two idle cores, the three mouse runs half a
# minute of it; the rest is room for a loaded machine.
session_limit=360
[ "$bench" = 1 ] && session_limit=800
timeout "$session_limit" xvfb-run -a -s "-screen 0 ${FLX_SCREEN_WIDTH}x${FLX_SCREEN_HEIGHT}x24" \
  "$here/run_wine.sh" --session > "$logs/session.log" 2>&1
session_rc=$?
# Whatever happened inside, no server may outlive the run.
wineserver -k > /dev/null 2>&1

passed=0
failed=0
# Adds the counts of FILE's last "PREFIX...: N passed, M failed" line; a
# file without one (the check did not get that far) is one failure.
add_summary() {
  local line f
  line=$(grep -E "^$2.*: [0-9]+ passed, [0-9]+ failed\$" "$1" 2> /dev/null |
    tail -n 1)
  if [ -z "$line" ]; then
    failed=$((failed + 1))
    return
  fi
  line=${line##*: }
  passed=$((passed + ${line%% passed*}))
  f=${line#*, }
  failed=$((failed + ${f%% failed}))
}
for status in "$logs"/*.status; do
  [ -e "$status" ] || continue
  name=$(basename "$status" .status)
  echo "-- $name (exit $(cat "$status"))"
  tr -d '\r' < "$logs/$name.log" |
    grep -v -e '^X connection' -e 'syswow64' -e 'wine: configuration' || true
  # Wine's console ends lines with CR LF.
  line=$(tr -d '\r' < "$logs/$name.log" |
    grep -E '^[0-9]+ passed, [0-9]+ failed$' | tail -n 1)
  if [ -n "$line" ]; then
    passed=$((passed + ${line%% passed*}))
    f=${line#*, }
    failed=$((failed + ${f%% failed}))
  fi
  if [ "$(cat "$status")" -ne 0 ] && [ -z "$line" ]; then
    failed=$((failed + 1))  # crashed or timed out before its summary
  fi
done
for b in "$logs"/*.bench; do
  [ -e "$b" ] || continue
  echo "-- $(basename "$b" .bench)"
  tr -d '\r' < "$b" | grep -v -e '^X connection' || true
done

if [ "$parity" = 1 ]; then
  python3 "$here/parity.py" compare "$cli" "$logs/parity.list" "$logs" \
    > "$logs/parity.txt" 2>&1
  cat "$logs/parity.txt"
  add_summary "$logs/parity.txt" parity
fi
if [ "$mouse" = 1 ]; then
  # The form with size limits, the one that keeps its aspect ratio, and the
  # example program's dialog.
  for run in mouse aspect dialog; do
    form="$here/mouse_form.dfm"
    case "$run" in
      aspect)
        echo "aspect lock, the same gestures:"
        form="$here/ratio_form.dfm" ;;
      dialog)
        echo "the example program's dialog with the component attached:"
        form="$exe_dir/dialog_app.exe:101" ;;
    esac
    python3 "$here/mouse.py" check "$cli" "$form" \
      "$logs/$run" > "$logs/$run.txt" 2>&1
    cat "$logs/$run-run.log" "$logs/$run.txt" 2> /dev/null
    add_summary "$logs/$run.txt" mouse
  done
fi
# GDI's text widths against the simulation's.
if [ "$text_parity" = 1 ]; then
  "$cli" measure --cases "$logs/text.cases" > "$logs/text.sim" 2>&1
  if python3 "$here/text_parity.py" "$logs/text.sim" "$logs/text.native" \
    > "$logs/text-parity.txt" 2>&1; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
  fi
  cat "$logs/text-parity.txt"
elif [ "${FLEXARIUM_REQUIRE_NATIVE:-0}" = 1 ]; then
  echo "text-parity: FAILED ($cli measure --plan failed or no $cli)"
  failed=$((failed + 1))
fi
if [ "$cli_same" = 1 ]; then
  "$here/cli_same.sh" compare --work "$logs/cli" > "$logs/cli-same.txt" 2>&1
  cat "$logs/cli-same.txt"
  add_summary "$logs/cli-same.txt" cli-same
fi
# The layouts measured after a change of DPI, against the command's.
if [ "$parity" = 1 ] && [ -f "$logs/dpi-change.report" ]; then
  python3 "$here/dpi_parity.py" "$cli" "$logs/dpi-change.report" \
    "$root/examples/forms" > "$logs/dpi-parity.txt" 2>&1
  cat "$logs/dpi-parity.txt"
  add_summary "$logs/dpi-parity.txt" dpi-parity
fi
# The dialogs Wine made against the simulated desktop's.
if [ -f "$logs/dialogs.files" ]; then
  if [ "$dialogs" = 1 ]; then
    python3 "$here/dialog_parity.py" --min-share "${FLX_DIALOG_SHARE:-1.0}" \
      "$logs/dialogs-sim-96.report" "$logs/dialogs-native-96.report" \
      "$logs/dialogs-sim-144.report" "$logs/dialogs-native-144.report" \
      > "$logs/dialog-parity.txt" 2>&1
    cat "$logs/dialog-parity.txt"
    # Attached and sized to 1.5x and 0.75x: the component's layout on both.
    # Every control agrees (docs/dialogs.md).
    pairs=()
    for dpi in 96 144; do
      for f in 1.5x 0.75x; do
        pairs+=("$logs/dialogs-sim-$dpi-$f.report"
                "$logs/dialogs-native-$dpi-$f.report")
      done
    done
    python3 "$here/dialog_parity.py" --label "attached dialog parity" \
      --min-share "${FLX_ATTACHED_DIALOG_SHARE:-1.0}" "${pairs[@]}" \
      > "$logs/attached-dialog-parity.txt" 2>&1
    cat "$logs/attached-dialog-parity.txt"
  fi
  add_summary "$logs/dialog-parity.txt" "dialog parity "
  add_summary "$logs/attached-dialog-parity.txt" "attached dialog parity "
fi
if [ "$pictures" = 1 ]; then
  python3 "$here/pictures.py" check "$cli" "$logs/parity.list" \
    "$FLX_SHOTS" > "$logs/pictures.txt" 2>&1
  cat "$FLX_LOGS/pictures-shoot.log" "$logs/pictures.txt" 2> /dev/null
  add_summary "$logs/pictures.txt" pictures
  echo "screenshots and previews: $FLX_SHOTS"
  if [ "$docs" = 1 ]; then
    mkdir -p "$root/docs/images/native"
    cp "$FLX_SHOTS"/*.png "$FLX_SHOTS"/*.svg "$root/docs/images/native/"
    echo "copied to docs/images/native"
  fi
fi

if [ "$session_rc" -ne 0 ] && [ "$failed" -eq 0 ]; then
  echo "the Wine session failed (exit $session_rc); its log:"
  tail -n 40 "$logs/session.log"
  failed=$((failed + 1))
fi
echo "win32: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
