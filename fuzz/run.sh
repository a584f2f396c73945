#!/usr/bin/env bash
# Runs a built fuzz target from the seed corpus kept in the repository: for
# the form-file targets our example forms and the small forms in fuzz/corpus
# with the form-text dictionary, for resource_fuzz and dialog_fuzz the
# resource files in fuzz/corpus/resources; plus fuzz/<target>.dict where
# there is one.
# Usage: fuzz/run.sh FUZZ_BINARY [SECONDS [MIN_START_EDGES]]
#   SECONDS          how long to fuzz (default 120)
#   MIN_START_EDGES  fail unless the seeds alone cover at least this many
#                    edges: a library built without coverage instrumentation
#                    shows a few dozen (default 0, no check)
# Exits non-zero when the fuzzer reports a crash, leak or sanitizer error.
set -euo pipefail

if [[ $# -lt 1 ]]; then
  echo "usage: $0 FUZZ_BINARY [SECONDS [MIN_START_EDGES]]" >&2
  exit 2
fi
binary=$(realpath "$1")
seconds=${2:-120}
min_edges=${3:-0}
here=$(cd "$(dirname "$0")" && pwd)
target=$(basename "$binary")

if [[ ! -x "$binary" ]]; then
  echo "$0: $binary is not an executable" >&2
  exit 2
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/${target}.XXXXXX")
mkdir -p "$work/corpus" "$work/artifacts"
if [[ $target == resource_* || $target == dialog_* ]]; then
  cp "$here"/corpus/resources/* "$work/corpus/"
  # Real dialogs: scripts of the shared corpus that compile as they are.
  rc_corpus=$here/../../shared/corpus/rc
  windres=$(command -v x86_64-w64-mingw32-windres || true)
  if [[ -n $windres && -d $rc_corpus ]]; then
    for script in \
      notepad-plus-plus/PowerEditor/src/ScintillaComponent/FindReplaceDlg.rc \
      notepad-plus-plus/PowerEditor/src/WinControls/Preference/preference.rc \
      teraterm/teraterm/ttpdlg/ttpdlg.rc \
      systeminformer/plugins/WindowExplorer/WindowExplorer.rc; do
      [[ -f $rc_corpus/$script ]] || continue
      (cd "$rc_corpus/$(dirname "$script")" &&
        "$windres" -I. -O res -i "$(basename "$script")" \
          -o "$work/corpus/$(basename "$script" .rc).res") || true
    done
  fi
  : > "$work/dict"
else
  cp "$here"/corpus/*.dfm "$here"/../examples/forms/*.dfm "$work/corpus/"
  cat "$here/form_text.dict" > "$work/dict"
fi
if [[ -f "$here/$target.dict" ]]; then
  cat "$here/$target.dict" >> "$work/dict"
fi

echo "fuzzing $binary for $seconds s in $work" >&2
# fontconfig keeps its configuration for the life of the process, which the
# leak checker reports at exit: the tests' suppressions apply here too.
export LSAN_OPTIONS="suppressions=$here/../tests/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
# From the work folder: nothing in the current folder is read as a frame.
set +e
dict_option=()
[[ -s "$work/dict" ]] && dict_option=(-dict=dict)
(cd "$work" && "$binary" corpus \
  "${dict_option[@]}" \
  -max_len=65536 \
  -max_total_time="$seconds" \
  -timeout=25 \
  -detect_leaks=1 \
  -artifact_prefix=artifacts/ \
  -print_final_stats=1) 2>&1 | tee "$work/log" >&2
status=${PIPESTATUS[0]}
set -e

start=$(sed -n 's/.*INITED cov: \([0-9]*\).*/\1/p' "$work/log" | head -n 1)
echo "$0: the seeds cover ${start:-no} edges" >&2
if [[ $status -eq 0 && "${start:-0}" -lt "$min_edges" ]]; then
  echo "$0: fewer than $min_edges edges from the seeds: is the library" \
       "built with -fsanitize=fuzzer-no-link (the fuzz preset)?" >&2
  status=1
fi
if compgen -G "$work/artifacts/*" >/dev/null; then
  echo "$0: fuzzer left artifacts in $work/artifacts:" >&2
  ls -l "$work/artifacts" >&2
  [[ $status -eq 0 ]] && status=1
fi
if [[ $status -ne 0 ]]; then
  echo "$0: fuzzing failed (exit $status); inputs kept in $work" >&2
  exit "$status"
fi
rm -rf "$work"
echo "$0: no crash, leak or sanitizer report" >&2
