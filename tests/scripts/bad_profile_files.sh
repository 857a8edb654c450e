#!/usr/bin/env bash
# Files from outside that are not what they should be: a FIFO, a link to an endless device, a
# 2 GiB sparse file, damaged text, in place of each profile file, the helper's files, a script
# or a machine description. The program never hangs or grows: it says so, sets a profile file
# aside (keeping at most its first megabytes), and what it writes later lands in a plain file.
set -uo pipefail
bin=$1
failed=0
fail() {
  echo "FAIL: $*"
  failed=1
}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
check="$scratch/check.nls"
printf 'advance 1\ndefault probe 1\nadvance 2\nstate\nexpect /defaults/probe 1\n' >"$check"

make_bad() { # KIND PATH
  case $1 in
    fifo) mkfifo "$2" ;;
    zero) ln -s /dev/zero "$2" ;;
    sparse) truncate -s 2G "$2" ;;
    damaged) printf '{ not json' >"$2" ;;
  esac
}

# The profile's own files: set aside, said, and replaced by a plain file when written again.
for file in defaults.json hardware.json "home/Library/Application Support/Nightlid/recovery.json"; do
  for kind in fifo zero sparse damaged; do
    profile="$scratch/profile-$kind"
    mkdir -p "$profile/$(dirname "$file")"
    make_bad "$kind" "$profile/$file"
    out=$(timeout 60 "$bin" --profile "$profile" --log --script "$check" 2>&1)
    status=$?
    what="$file as $kind"
    [ "$status" -eq 0 ] || fail "$what: exit $status: $(tail -n 3 <<<"$out")"
    name=$(basename "$file")
    grep -qE "$name.*(moved to|kept as)|(moved to|kept as).*$name" <<<"$out" || fail "$what: not said"
    aside=$(find "$profile/$(dirname "$file")" -maxdepth 1 -name "$(basename "$file").*" | head -n 1)
    if [ -z "$aside" ]; then
      fail "$what: nothing set aside"
    elif [ -f "$aside" ] && [ ! -L "$aside" ] && [ "$(stat -c %s "$aside")" -gt 4194304 ]; then
      fail "$what: the copy set aside is over 4 MiB"
    fi
    if [ -e "$profile/$file" ] || [ -L "$profile/$file" ]; then
      { [ -f "$profile/$file" ] && [ ! -L "$profile/$file" ]; } || fail "$what: still not a file"
    fi
    if [ "$file" = defaults.json ]; then
      grep -q probe "$profile/defaults.json" || fail "$what: the new setting was not saved"
    fi
    rm -rf "$profile"
  done
done

# The helper's files, as the card and `state` read them: never waited on, never read whole.
for kind in fifo zero sparse damaged; do
  profile="$scratch/helper-$kind"
  folder="$profile/root/Library/Application Support/Nightlid"
  mkdir -p "$folder"
  make_bad "$kind" "$folder/limit.txt"
  make_bad "$kind" "$folder/calibration.txt"
  timeout 60 "$bin" --profile "$profile" --script "$check" >/dev/null 2>&1 ||
    fail "the helper's files as $kind: the run did not end well"
  rm -rf "$profile"
done

# A script or a machine that is a pipe: read while it sends, given up when it never closes.
timeout 60 "$bin" --script <(printf 'advance 1\nexpect /terminated false\n') >/dev/null 2>&1 ||
  fail "--script <(...) was not run"
for option in --script --machine; do
  fifo="$scratch/fifo$option"
  mkfifo "$fifo"
  # A writer that opens the pipe and never closes it.
  (exec 3>"$fifo"; sleep 60) &
  writer=$!
  if [ "$option" = --machine ]; then
    out=$(timeout 60 "$bin" --machine "$fifo" --script "$check" 2>&1)
  else
    out=$(timeout 60 "$bin" --script "$fifo" 2>&1)
  fi
  status=$?
  kill "$writer" 2>/dev/null
  wait "$writer" 2>/dev/null
  [ "$status" -eq 2 ] || fail "$option on a pipe never closed: exit $status"
  grep -q "did not close it" <<<"$out" || fail "$option on a pipe never closed: $out"
done
out=$(timeout 60 "$bin" --script /dev/zero 2>&1)
[ $? -eq 2 ] && grep -q "is a character device" <<<"$out" ||
  fail "--script /dev/zero: $out"
exit "$failed"
