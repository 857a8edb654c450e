#!/usr/bin/env bash
# Kills the program with displays dark, then starts it again on the same profile: each pair is
# the script that dies and the one that checks the next start.
set -uo pipefail
bin=$1
scripts=$(dirname "$0")
pairs=(
  "crash_before crash_after"
  "crash_in_break crash_after_features"
  "crash_in_undimmed_break crash_after_features"
  "crash_while_dimming crash_after_features"
  "crash_in_zen crash_after_features"
  "crash_mid_restore crash_after_restore"
)
failed=0
for pair in "${pairs[@]}"; do
  read -r before after <<<"$pair"
  profile=$(mktemp -d)
  "$bin" --profile "$profile" --script "$scripts/$before.nls" >/dev/null
  status=$?
  if [ "$status" -ne 137 ]; then
    echo "$before: expected the first run to die by SIGKILL (137), got $status"
    failed=1
  elif ! "$bin" --profile "$profile" --script "$scripts/$after.nls" >/dev/null; then
    echo "$after failed after $before"
    failed=1
  fi
  rm -rf "$profile"
done
# A machine never darkened is no recovered one: the check must tell them apart.
fresh=$(mktemp -d)
if "$bin" --profile "$fresh" --script "$scripts/crash_after.nls" >/dev/null 2>&1; then
  echo "crash_after passed on a profile that never crashed"
  failed=1
fi
rm -rf "$fresh"
exit "$failed"
