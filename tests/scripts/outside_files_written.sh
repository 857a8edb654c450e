#!/usr/bin/env bash
# What a user (or a run under sudo) may leave in a profile where the program reads, copies or
# locks: a FIFO, a link to an endless device, a 2 GiB sparse file, a journal nobody but root may
# read, a script line full of terminal escapes. The program never hangs, never grows, never
# loses records: it says what it found and goes on.
set -uo pipefail
bin=$1
failed=0
fail() {
  echo "FAIL: $*"
  failed=1
}
scratch=$(mktemp -d)
chmod 755 "$scratch"
holder=""
trap '[ -n "$holder" ] && kill -9 "$holder" 2>/dev/null; rm -rf "$scratch"' EXIT

make_bad() { # KIND PATH
  case $1 in
    fifo) mkfifo "$2" ;;
    zero) ln -s /dev/zero "$2" ;;
    sparse) truncate -s 2G "$2" ;;
  esac
}

# The bundle's helper, copied by the installer as root: refused, the limit stays off.
printf 'language en\nadvance 1\nclick "🔋 Limit Charging"\nalert Install\nadmin-prompt accept\nadvance 5\nexpect /power/limitShown "off Off"\n' >"$scratch/install.nls"
for kind in fifo zero sparse; do
  profile="$scratch/bundle-$kind"
  "$bin" --profile "$profile" --script /dev/stdin <<<'advance 1' >/dev/null 2>&1
  helper="$profile/root/Applications/Nightlid.app/Contents/MacOS/nightlid-helper"
  [ -f "$helper" ] || { fail "no bundled helper at $helper"; continue; }
  rm -f "$helper"
  make_bad "$kind" "$helper"
  out=$(timeout 60 "$bin" --profile "$profile" --log --script "$scratch/install.nls" 2>&1)
  status=$?
  [ "$status" -eq 0 ] || fail "bundled helper as $kind: exit $status: $(tail -n 3 <<<"$out")"
  grep -q "Helper installation failed: .*cp: " <<<"$out" || fail "bundled helper as $kind: not said"
  installed="$profile/root/Library/PrivilegedHelperTools/nightlid-helper"
  [ ! -e "$installed" ] || [ "$(stat -c %s "$installed")" -lt 1048576 ] ||
    fail "bundled helper as $kind: $(stat -c %s "$installed") bytes installed"
  rm -rf "$profile"
done

# A refused script line is shown with its control characters escaped and cut short.
printf 'advance 1\n\033]0;pwned\a\033[2J\n' >"$scratch/escape.nls"
out=$(timeout 60 "$bin" --script "$scratch/escape.nls" 2>&1 >/dev/null)
if grep -q $'\033' <<<"$out" || grep -q $'\a' <<<"$out"; then fail "escapes reached the terminal"; fi
grep -qF '\x1B]0;pwned\x07\x1B[2J' <<<"$out" || fail "the refused line is not shown escaped: $out"
head -c 4000000 /dev/zero | tr '\0' x >"$scratch/long.nls"
echo >>"$scratch/long.nls"
bytes=$(timeout 60 "$bin" --script "$scratch/long.nls" 2>&1 >/dev/null | wc -c)
[ "$bytes" -lt 10000 ] || fail "a 4 MB line gave $bytes bytes of message"

# The profile's lock as a FIFO, a link to /dev/zero, 2 GiB: moved aside, the program starts.
wait_for() {
  for _ in $(seq 300); do grep -q "$2" "$1" 2>/dev/null && return 0; sleep 0.1; done
  return 1
}
for kind in fifo zero sparse; do
  profile="$scratch/lock-$kind"
  mkdir -p "$profile"
  make_bad "$kind" "$profile/.nightlid.lock"
  "$bin" --profile "$profile" --log >/dev/null 2>"$scratch/lock-$kind.err" &
  holder=$!
  wait_for "$scratch/lock-$kind.err" "adjustWindowHeight called" ||
    fail "lock as $kind: the program did not open its window"
  grep -q "lock file .* it is moved to" "$scratch/lock-$kind.err" || fail "lock as $kind: not said"
  kill -9 "$holder" 2>/dev/null
  wait "$holder" 2>/dev/null
  holder=""
done

# A journal only root may read (a run under sudo left it): moved aside unread, never removed;
# the run as the user goes on and keeps its own records. Root only: it takes another user.
if [ "$(id -u)" -ne 0 ] || ! command -v setpriv >/dev/null; then
  echo "skipped the unreadable journal: it needs root and setpriv to run as another user"
else
  profile="$scratch/journal"
  folder="$profile/home/Library/Application Support/Nightlid"
  mkdir -p "$folder"
  printf '{"displays":[{"id":"2","brightness":0.55,"reason":"powerOff"}]}' >"$folder/recovery.json"
  chown -R 501:20 "$profile"
  chown 0:0 "$folder/recovery.json"
  chmod 600 "$folder/recovery.json"
  printf 'advance 5\n' >"$scratch/journal.nls"
  chmod 644 "$scratch/journal.nls"
  out=$(setpriv --reuid=501 --regid=20 --clear-groups env HOME="$profile" XDG_RUNTIME_DIR="$profile" \
    timeout 60 "$bin" --profile "$profile" --log --script "$scratch/journal.nls" 2>&1)
  grep -q "Recovery: cannot read journal .*: Permission denied; it is moved to .* as it is" <<<"$out" ||
    fail "the unreadable journal: not said: $(grep Recovery <<<"$out")"
  aside=$(find "$folder" -maxdepth 1 -name 'recovery.json.unreadable-*' | head -n 1)
  if [ -z "$aside" ]; then
    fail "the unreadable journal was not kept"
  else
    grep -q '"brightness":0.55' "$aside" || fail "the journal kept lost its records"
  fi
fi
exit "$failed"
