#!/usr/bin/env bash
# Kills the program with displays dark, then starts it again on the same profile.
set -uo pipefail
bin=$1
scripts=$(dirname "$0")
profile=$(mktemp -d)
trap 'rm -rf "$profile"' EXIT
"$bin" --profile "$profile" --script "$scripts/crash_before.nls"
status=$?
if [ "$status" -ne 137 ]; then
  echo "expected the first run to die by SIGKILL (137), got $status"
  exit 1
fi
"$bin" --profile "$profile" --script "$scripts/crash_after.nls"
