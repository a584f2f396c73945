#!/usr/bin/env bash
# flexarium.exe under Wine against the Linux `flexarium`: every example form
# through check, format, preview (--json, --svg, --html in one run) and lint,
# every scenario through run, and the ways Windows hands files over (drive
# letters, backslashes, spaces and non-ASCII names, CRLF files, binary
# standard input, an ANSI code page that is not UTF-8). Standard output,
# standard error, the exit status and every file written must be the same
# bytes; only the spelling of a path named in the output may differ.
#
#   cli_same.sh all --cli FLEXARIUM --exe FLEXARIUM.EXE --work DIR
#
# Phases, for run_wine.sh, which runs the Windows side inside its own Wine
# session (one server for every exe):
#   cli_same.sh prepare --cli FLEXARIUM --work DIR   (the Linux side)
#   cli_same.sh windows --exe FLEXARIUM.EXE --work DIR   (inside Wine)
#   cli_same.sh compare --work DIR   (prints "cli-same: N passed, M failed")
#
# Each side runs in a folder of its own holding copies of examples/, so the
# same relative paths name the same files on both.
set -u
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)

phase=${1:-}
shift || true
cli="" exe="" work=""
while [ $# -gt 0 ]; do
  case "$1" in
    --cli) cli=$2; shift 2 ;;
    --exe) exe=$2; shift 2 ;;
    --work) work=$2; shift 2 ;;
    *) echo "cli_same.sh: unknown argument $1" >&2; exit 2 ;;
  esac
done
[ -n "$work" ] || { echo "cli_same.sh: --work DIR is needed" >&2; exit 2; }

# The files both sides read: the examples, and the awkward names and
# encodings a Windows user has.
make_side() {
  local side=$1
  rm -rf "$side"
  mkdir -p "$side/examples" "$side/my forms" "$side/crlf" "$side/Ördner 表"
  cp -r "$root/examples/forms" "$root/examples/scenarios" \
    "$root/examples/lint" "$side/examples/"
  # The example dialog's compiled resources and header, which a scenario
  # opens.
  mkdir -p "$side/examples/win32"
  cp -r "$root/examples/win32/dialog_app" "$side/examples/win32/"
  cp "$root/examples/forms/contact.dfm" "$side/my forms/Übersicht ñ 表.dfm"
  # A value missing on line 4: the error names the file, line and column.
  sed '4s/=.*/= =/' "$root/examples/forms/contact.dfm" \
    > "$side/my forms/kaputt ü.dfm"
  sed 's/$/\r/' "$root/examples/forms/contact.dfm" > "$side/crlf/contact.dfm"
  sed 's/$/\r/' "$root/examples/forms/settings_form.dfm" \
    > "$side/crlf/settings_form.dfm"
  # Every string of the example forms in every face and size they use, for
  # measure --cases.
  "$cli" measure --plan "$root"/examples/forms/*.dfm > "$side/text.cases"
  # stamp writes the form back in place: a copy among the files compared.
  mkdir -p "$side/out/stamp"
  cp "$root/examples/forms/plain_dialog.dfm" "$side/out/stamp/plain ü.dfm"
  # A Ctrl-Z in a caption: a text-mode standard input would end there.
  sed "s/Caption = 'Contact'/Caption = 'Con\x1atact'/" \
    "$root/examples/forms/contact.dfm" > "$side/crlf/ctrl-z.dfm"
}

# case NAME [--stdin FILE] [--win-env VAR=VALUE]... -- LINUX ARGS... [-- WINDOWS ARGS...]
# Without Windows arguments both sides get the same ones.
case_def() {
  local name=$1 dir="$work/cases/$1"
  shift
  mkdir -p "$dir"
  : > "$dir/winenv"
  while [ "$1" != -- ]; do
    case "$1" in
      --stdin) echo "$2" > "$dir/stdin"; shift 2 ;;
      --win-env) echo "$2" >> "$dir/winenv"; shift 2 ;;
    esac
  done
  shift
  : > "$dir/args"
  while [ $# -gt 0 ] && [ "$1" != -- ]; do
    printf '%s\n' "$1" >> "$dir/args"
    shift
  done
  if [ $# -gt 0 ]; then
    shift
    : > "$dir/winargs"
    for a in "$@"; do printf '%s\n' "$a" >> "$dir/winargs"; done
  else
    cp "$dir/args" "$dir/winargs"
  fi
}

define_cases() {
  rm -rf "$work/cases"
  local f name forms=() scenarios=()
  for f in "$root"/examples/forms/*.dfm; do
    forms+=("examples/forms/$(basename "$f")")
  done
  for f in "$root"/examples/scenarios/*.scn; do
    scenarios+=("examples/scenarios/$(basename "$f")")
  done
  case_def check-all -- check "${forms[@]}"
  for f in "${forms[@]}"; do
    name=$(basename "$f" .dfm)
    case_def "format-$name" -- format "$f"
    case_def "preview-$name" -- preview "$f" --dpi 144 --client 720x450 \
      --maximize --restore --json --svg "out/$name" --html "out/$name.html"
  done
  case_def run-all -- run --out out/run "${scenarios[@]}"
  # lint measures every caption and text: its findings, reports and pages.
  case_def lint-rules -- lint examples/lint/every_rule.dfm \
    examples/lint/clean.dfm --html out/lint.html
  case_def lint-json -- lint --json "${forms[@]}"
  case_def lint-sarif -- lint --sarif --dpi 96,144 examples/lint/every_rule.dfm
  case_def measure-cases -- measure --cases text.cases
  case_def measure-bold -- measure "Größe & Wüste" --face "MS Sans Serif" \
    --size 14 --dpi 144 --bold
  case_def version -- --version

  # A drive letter and backslashes; the Linux side reads the same file by
  # its own absolute path.
  case_def drive-letter -- preview "@SIDE@/cdrive/forms/a.dfm" -- \
    preview 'C:\forms\a.dfm'
  case_def backslashes -- check examples/forms/contact.dfm \
    "my forms/Übersicht ñ 表.dfm" -- check 'examples\forms\contact.dfm' \
    'my forms\Übersicht ñ 表.dfm'
  case_def unicode-name -- preview "my forms/Übersicht ñ 表.dfm" --json -- \
    preview 'my forms\Übersicht ñ 表.dfm' --json
  # Wine's own ANSI code page here is 1252, which has no 表: only the wide
  # command line carries the name above whole. Japanese Windows (code page
  # 932) too, where Wine can take the name from a UTF-8 glibc locale.
  if locale -a 2> /dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
    case_def unicode-name-cp932 --win-env LC_ALL=ja_JP.UTF-8 -- \
      preview "my forms/Übersicht ñ 表.dfm" --client 700x400 -- \
      preview 'my forms\Übersicht ñ 表.dfm' --client 700x400
    case_def error-position-cp932 --win-env LC_ALL=ja_JP.UTF-8 -- \
      check "my forms/kaputt ü.dfm" examples/forms/contact.dfm -- \
      check 'my forms\kaputt ü.dfm' 'examples\forms\contact.dfm'
  fi
  case_def search-folder -- check --search "Ördner 表" \
    examples/forms/contact.dfm -- check --search 'Ördner 表' \
    'examples\forms\contact.dfm'
  case_def search-missing -- check --search "Ördner 表/fehlt" \
    examples/forms/contact.dfm -- check --search 'Ördner 表\fehlt' \
    'examples\forms\contact.dfm'
  case_def error-position -- check "my forms/kaputt ü.dfm" -- \
    check 'my forms\kaputt ü.dfm'
  case_def stamp -- stamp "out/stamp/plain ü.dfm" --add --client 640x400 \
    --dpi 120 -- stamp 'out\stamp\plain ü.dfm' --add --client 640x400 \
    --dpi 120
  case_def crlf-check -- check crlf/contact.dfm crlf/settings_form.dfm
  case_def crlf-format -- format crlf/settings_form.dfm
  case_def crlf-preview -- preview crlf/contact.dfm --scale 1.5 --json
  case_def stdin-format --stdin crlf/settings_form.dfm -- format -
  case_def stdin-preview --stdin examples/forms/contact.dfm -- \
    preview - --scale 0.75
  case_def stdin-ctrl-z --stdin crlf/ctrl-z.dfm -- format -
  case_def stdin-error --stdin "my forms/kaputt ü.dfm" -- check -
}

# Runs every case on one side: linux (the command) or win (Wine).
run_side() {
  local kind=$1 side="$work/$1" dir name args env input rc
  for dir in "$work"/cases/*/; do
    name=$(basename "$dir")
    if [ "$kind" = win ]; then
      mapfile -t args < "$dir/winargs"
    else
      mapfile -t args < "$dir/args"
      args=("${args[@]//@SIDE@/$side}")
    fi
    mapfile -t env < "$dir/winenv"
    input=/dev/null
    [ -f "$dir/stdin" ] && input="$side/$(cat "$dir/stdin")"
    if [ "$kind" = win ]; then
      # A console program: without an X display Wine starts it about three
      # times faster.
      (cd "$side" && env -u DISPLAY "${env[@]}" timeout 60 wine "$exe" "${args[@]}" \
        < "$input" > "$dir/win.out" 2> "$dir/win.err")
    else
      (cd "$side" && timeout 60 "$cli" "${args[@]}" \
        < "$input" > "$dir/linux.out" 2> "$dir/linux.err")
    fi
    rc=$?
    echo "$rc" > "$dir/$kind.rc"
  done
}

prepare() {
  [ -x "$cli" ] || { echo "cli_same.sh: no Linux command at '$cli'" >&2; exit 2; }
  cli=$(cd "$(dirname "$cli")" && pwd)/$(basename "$cli")
  mkdir -p "$work"
  work=$(cd "$work" && pwd)
  define_cases
  make_side "$work/linux"
  make_side "$work/win"
  mkdir -p "$work/linux/cdrive/forms"
  cp "$root/examples/forms/contact.dfm" "$work/linux/cdrive/forms/a.dfm"
  run_side linux
}

windows() {
  work=$(cd "$work" && pwd)
  exe=$(cd "$(dirname "$exe")" && pwd)/$(basename "$exe")
  mkdir -p "$WINEPREFIX/drive_c/forms"
  cp "$root/examples/forms/contact.dfm" "$WINEPREFIX/drive_c/forms/a.dfm"
  run_side win
}

# The Windows side's way of naming the files of a case, spelt as on Linux.
paths_as_linux() {
  sed -e 's|C:\\forms\\|@SIDE@/cdrive/forms/|g' \
    -e 's|C:\\\\forms\\\\|@SIDE@/cdrive/forms/|g' \
    -e 's|my forms\\\\|my forms/|g' -e 's|my forms\\|my forms/|g' \
    -e 's|out\\stamp\\|out/stamp/|g' \
    -e 's|Ördner 表\\|Ördner 表/|g' \
    -e 's|examples\\\\forms\\\\|examples/forms/|g' \
    -e 's|examples\\forms\\|examples/forms/|g' \
    -e 's|examples\\win32\\dialog_app\\|examples/win32/dialog_app/|g' "$1"
}

compare() {
  work=$(cd "$work" && pwd)
  local dir name passed=0 failed=0 ok what
  for dir in "$work"/cases/*/; do
    name=$(basename "$dir")
    ok=1
    what=""
    sed "s|$work/linux|@SIDE@|g" "$dir/linux.out" > "$dir/linux.out.n"
    sed "s|$work/linux|@SIDE@|g" "$dir/linux.err" > "$dir/linux.err.n"
    paths_as_linux "$dir/win.out" > "$dir/win.out.n"
    # Wine's own notes on a first start or a lost X display are not ours.
    grep -v -e '^X connection' -e 'syswow64' -e '^wine: ' "$dir/win.err" |
      paths_as_linux /dev/stdin > "$dir/win.err.n"
    if ! cmp -s "$dir/linux.rc" "$dir/win.rc" 2> /dev/null; then
      ok=0
      what+=" exit $(cat "$dir/linux.rc" 2> /dev/null) vs $(cat "$dir/win.rc" 2> /dev/null);"
    fi
    for stream in out err; do
      if ! cmp -s "$dir/linux.$stream.n" "$dir/win.$stream.n"; then
        ok=0
        what+=" std$stream differs;"
        diff "$dir/linux.$stream.n" "$dir/win.$stream.n" | head -n 8
      fi
    done
    if [ "$ok" = 1 ]; then
      passed=$((passed + 1))
    else
      failed=$((failed + 1))
      echo "FAILED $name:$what"
    fi
  done
  # Every file written, pictures and pages included, byte for byte: the
  # Windows build measures text with GDI where the Linux one uses FreeType,
  # and under Wine the two give the same widths.
  if diff -r "$work/linux/out" "$work/win/out" > "$work/files.diff" 2>&1; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAILED written files differ:"
    head -n 20 "$work/files.diff"
  fi
  echo "cli-same: $passed passed, $failed failed"
  [ "$failed" -eq 0 ]
}

case "$phase" in
  prepare) prepare ;;
  windows) windows ;;
  compare) compare ;;
  all)
    prepare || exit 1
    export WINEPREFIX=${WINEPREFIX:-$work/wineprefix} WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml="
    wineserver -p
    wine wineboot > "$work/wineboot.log" 2>&1
    # Wine's own fonts, as run_wine.sh sets the prefix up: GDI then takes
    # the faces the Linux command measures with FreeType.
    if [ -d /usr/share/wine/fonts ]; then
      cp /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2> /dev/null
    fi
    windows
    wineserver -k
    compare
    ;;
  *)
    echo "usage: cli_same.sh all|prepare|windows|compare ..." >&2
    exit 2
    ;;
esac
