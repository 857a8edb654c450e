#!/usr/bin/env bash
# Configures the tree as a machine without LLVM's fuzzing tools would (a Mac with Apple's clang):
# configure succeeds and holds the program, the helpers and the tests, and no fuzz target.
set -uo pipefail
cmake=$1
source=$2
build=$3
shift 3
log=$build.log
if ! "$cmake" -S "$source" -B "$build" -DNIGHTLID_FUZZ_HEADER_DIRS= "$@" >"$log" 2>&1; then
  cat "$log"
  echo "FAIL: configure without fuzzing tools failed"
  exit 1
fi
status=0
grep -q 'Fuzz targets and their corpus replays skipped' "$log" ||
  { echo "FAIL: fuzz/ was configured without its header"; status=1; }
grep -rqs 'fuzz_corpus_' --include=CTestTestfile.cmake "$build" &&
  { echo "FAIL: fuzz corpus replays were added"; status=1; }
grep -qs 'script_spine_tour' "$build/tests/CTestTestfile.cmake" ||
  { echo "FAIL: the tests were not configured"; status=1; }
[ $status -eq 0 ] && echo "ok: configured without fuzzing tools"
exit $status
