#!/usr/bin/env bash
# The helper a bundle ships holds no virtual Mac: no simulator code linked in and no test
# variable read. The virtual Mac's own helper holds both, which shows the check can see them.
set -uo pipefail
shipped=$1
virtual=$2
# What only a virtual Mac's helper has: its namespace's code, and the variable its launchd sets.
holdsVirtualMac() {
  nm -C "$1" | grep -E '(^|[^[:alnum:]_:])sim::' >/dev/null && return 0
  strings -a "$1" | grep -F NIGHTLID_SYSTEM_ROOT >/dev/null
}
status=0
if holdsVirtualMac "$shipped"; then
  echo "FAIL: $shipped links simulator code or reads NIGHTLID_SYSTEM_ROOT"
  nm -C "$shipped" | grep -E '(^|[^[:alnum:]_:])sim::' | head -5
  status=1
fi
if ! holdsVirtualMac "$virtual"; then
  echo "FAIL: the check finds nothing in $virtual, which holds the virtual Mac"
  status=1
fi
[ $status -eq 0 ] && echo "ok: the shipped helper holds no virtual Mac"
exit $status
