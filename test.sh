#!/usr/bin/env bash
# Installs what is missing, builds and runs the whole test suite.
#   ./test.sh              normal build in build/
#   ./test.sh --sanitize   AddressSanitizer + UndefinedBehaviorSanitizer build (clang) in build-asan/,
#                          then short libFuzzer runs of the TIFF reader and of the analysis text
#                          parsers, built in the same folder
set -euo pipefail
KY_ROOT=$(cd "$(dirname "$0")" && pwd)
. "$KY_ROOT/scripts/common.sh"

sanitize=0
for arg in "$@"; do
  case "$arg" in
    --sanitize) sanitize=1 ;;
    *) echo "usage: $0 [--sanitize]" >&2; exit 2 ;;
  esac
done

ky_install_missing

if [ $sanitize -eq 1 ]; then
  dir="$KY_ROOT/build-asan"
  # -O1 -g1 keeps the line numbers a sanitizer report needs and builds a sixth faster than -O2 -g.
  # clang builds the instrumented suite a quarter faster than g++ and the fuzz targets need it:
  # one build serves both, the libraries compiled once.
  CC=clang CXX=clang++ ky_build "$dir" -DSANITIZE=ON -DFUZZ=ON -DBUILD_BENCH=OFF \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g1 -DNDEBUG"
  export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1"
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
  export LSAN_OPTIONS="suppressions=$KY_ROOT/tests/lsan.supp:print_suppressions=0"
else
  dir="$KY_ROOT/build"
  # The benchmarks are measured on request, not run by the suite.
  ky_build "$dir" "${KY_PLAIN_BUILD_OPTIONS[@]}"
fi

cd "$dir"
if ! ctest -j "$(ky_jobs)" --output-on-failure --timeout 900; then
  # LeakSanitizer's tracer, the thread that stops the process for the leak check at its end, now
  # and then crashes itself ("Tracer caught signal 11"), which says nothing about the test that
  # ran: the failed tests run once more then. Any other failure stands.
  if [ $sanitize -eq 1 ] && grep -q "Tracer caught signal" Testing/Temporary/LastTest.log; then
    ctest --rerun-failed --output-on-failure --timeout 900
  else
    exit 1
  fi
fi

if [ $sanitize -eq 1 ]; then
  # The reader against generated files, starting from the committed seeds. New inputs go to a
  # scratch corpus in the build folder; a crash, a sanitizer report or a broken check fails here.
  fuzz="$dir"
  rm -rf "$fuzz/corpus/tiffreader"
  mkdir -p "$fuzz/corpus/tiffreader"
  "$fuzz/bin/fuzz_tiffreader" -runs=20000 -max_total_time=60 -artifact_prefix="$fuzz/" \
    "$fuzz/corpus/tiffreader" "$KY_ROOT/fuzz/corpus/tiffreader"
  # The analysis text parsers, the same way and a little shorter.
  rm -rf "$fuzz/corpus/analysistext"
  mkdir -p "$fuzz/corpus/analysistext"
  "$fuzz/bin/fuzz_analysistext" -runs=20000 -max_total_time=30 -artifact_prefix="$fuzz/" \
    "$fuzz/corpus/analysistext" "$KY_ROOT/fuzz/corpus/analysistext"
fi
