#!/usr/bin/env bash
# One program per profile: a second start brings the running one forward and ends with 0; a lock
# left by a killed program never blocks the next start.
set -uo pipefail
nightlid=$1
work=$(mktemp -d)
first=""
cleanup() {
  [ -n "$first" ] && { kill -9 "$first"; wait "$first"; } 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; for f in "$work"/*.err; do echo "--- $f"; cat "$f"; done; exit 1; }
profile="$work/profile"

# Waits (up to 30 s) until FILE holds TEXT: the program starts in real time.
wait_for() {
  for _ in $(seq 300); do grep -q "$2" "$1" 2>/dev/null && return 0; sleep 0.1; done
  return 1
}

start_first() {
  "$nightlid" --profile "$profile" --log 2>"$work/$1.err" >/dev/null &
  first=$!
  wait_for "$work/$1.err" "adjustWindowHeight called" || fail "$1: the program did not open its window"
}

start_first first
out=$("$nightlid" --profile "$profile" 2>"$work/second.err")
rc=$?
[ $rc -eq 0 ] || fail "a second start ended with $rc, not 0"
echo "$out" | grep -q "already runs on this profile" || fail "the second start said: $out"
wait_for "$work/first.err" "started again on this profile" || fail "the running program was not asked"
kill -0 "$first" 2>/dev/null || fail "the running program ended"

# Killed: its lock stays behind, and the next start takes the profile over.
kill -9 "$first"
wait "$first" 2>/dev/null
[ -e "$profile/.nightlid.lock" ] || fail "the killed program left no lock to test with"
start_first after-crash
out=$("$nightlid" --profile "$profile" 2>"$work/third.err") || fail "a start beside the new holder failed"
wait_for "$work/after-crash.err" "started again on this profile" || fail "the new holder was not asked"

# A missing option value is our usage error, exit 2.
"$nightlid" --profile "$profile" --machine >/dev/null 2>"$work/usage.err"
rc=$?
[ $rc -eq 2 ] || fail "--machine without a value ended with $rc, not 2"
grep -q "nightlid: --machine needs a value" "$work/usage.err" || fail "usage: $(cat "$work/usage.err")"
echo "ok"
