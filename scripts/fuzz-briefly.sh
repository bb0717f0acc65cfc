#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Builds the fuzz harnesses with clang and libFuzzer in build-fuzz/ (only them and the libraries
# they need) and runs each one for a few seconds from its corpus and regressions, so that
# neither the build nor a quick find can break unseen. A failing input is left in
# build-fuzz/findings/ with the harness's name: copy it to tests/fuzz/regressions/<harness>/
# with the mend.
#   scripts/fuzz-briefly.sh [SECONDS]   seconds per harness, 10 unless given
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/ensure-packages.sh
ensure_packages
ensure_packages "${zorvane_fuzz_packages[@]}"

seconds=${1:-10}
dir=build-fuzz
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
      -DZORVANE_FUZZ=ON "${launcher[@]}" >/dev/null
cmake --build "$dir" -j "$(nproc)" --target fuzz_harnesses

# Leaks end a run like crashes; undefined behaviour too, but for the runtime's one known false
# alarm (see the suppressions).
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:strict_string_checks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1:suppressions=$PWD/scripts/ubsan-suppressions.txt}"
export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$PWD/scripts/lsan-suppressions.txt:print_suppressions=0}"
export QT_QPA_PLATFORM=offscreen

findings=$dir/findings
rm -rf "$findings" "$dir/scratch"
mkdir -p "$findings"
failed=()
for corpus in tests/fuzz/corpus/*/; do
  harness=$(basename "$corpus")
  inputs=("$corpus")
  [ -d "tests/fuzz/regressions/$harness" ] && inputs+=("tests/fuzz/regressions/$harness")
  # New inputs go to a scratch folder: the stored corpus stays as it is.
  mkdir -p "$dir/scratch/$harness"
  echo "fuzz_$harness: ${seconds} s" >&2
  # An input that hangs is a failure too, reported after -timeout seconds.
  if ! "$dir/tests/fuzz/fuzz_$harness" -max_total_time="$seconds" -timeout=25 -print_final_stats=1 \
       -artifact_prefix="$findings/$harness-" "$dir/scratch/$harness" "${inputs[@]}" \
       >"$findings/$harness.log" 2>&1; then
    tail -n 40 "$findings/$harness.log" >&2
    failed+=("$harness")
  fi
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "Fuzzing found failures in: ${failed[*]} (inputs in $findings/)" >&2
  exit 1
fi
echo "Every harness ran ${seconds} s without a failure" >&2
