#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-2.0-or-later
# Installs what is missing, builds, and runs every test through CTest.
#   ./test.sh              the normal build in build/
#   ./test.sh --sanitize   AddressSanitizer and UBSan build in build-sanitize/, every test run there
set -euo pipefail
cd "$(dirname "$0")"
source scripts/ensure-packages.sh
ensure_packages

dir=build
cmake_args=()
case "${1:-}" in
  "") ;;
  --sanitize)
    dir=build-sanitize
    cmake_args=(-DZORVANE_SANITIZE=ON)
    # Any report fails the test that caused it; leaks are reported at exit like other errors.
    export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:strict_string_checks=1}"
    export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1:suppressions=$PWD/scripts/ubsan-suppressions.txt}"
    export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$PWD/scripts/lsan-suppressions.txt:print_suppressions=0}"
    ;;
  *) echo "usage: $0 [--sanitize]" >&2; exit 2 ;;
esac

configure_and_build "$dir" "${cmake_args[@]}"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$dir" --output-on-failure -j "$(nproc)" --timeout 300
