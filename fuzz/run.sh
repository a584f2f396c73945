#!/usr/bin/env bash
# Runs a built fuzz target over a scratch copy of the form-file corpus.
# Usage: fuzz/run.sh FUZZ_BINARY [SECONDS]   (default 120 seconds)
# Exits non-zero when the fuzzer reports a crash, leak or sanitizer error.
set -euo pipefail

if [[ $# -lt 1 ]]; then
  echo "usage: $0 FUZZ_BINARY [SECONDS]" >&2
  exit 2
fi
binary=$1
seconds=${2:-120}
here=$(cd "$(dirname "$0")" && pwd)
seeds="$here/../../shared/corpus/dfm"
dict="$here/form_text.dict"

if [[ ! -x "$binary" ]]; then
  echo "$0: $binary is not an executable" >&2
  exit 2
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/form_text_fuzz.XXXXXX")
mkdir -p "$work/corpus" "$work/artifacts"
if [[ -d "$seeds" ]]; then
  find "$seeds" -name '*.dfm' -type f -print0 |
    while IFS= read -r -d '' f; do
      # Flattened names keep seeds from different projects apart.
      rel=${f#"$seeds"/}
      cp "$f" "$work/corpus/${rel//\//_}"
    done
else
  echo "$0: no seed corpus at $seeds, starting empty" >&2
fi

echo "fuzzing $binary for $seconds s in $work" >&2
status=0
"$binary" "$work/corpus" \
  -dict="$dict" \
  -max_len=65536 \
  -max_total_time="$seconds" \
  -timeout=25 \
  -detect_leaks=1 \
  -artifact_prefix="$work/artifacts/" \
  -print_final_stats=1 || status=$?

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
