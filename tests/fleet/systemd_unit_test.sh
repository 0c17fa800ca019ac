#!/usr/bin/env bash
# The nightly unit's command, taken from the unit file itself, run against a
# simulated register: it must update the register and leave one JSON result.
# Usage: systemd_unit_test.sh TRAMOND REGSIM SOURCE_DIR
set -euo pipefail
tramond=$1 regsim=$2 src=$3
work=$(mktemp -d)
simpid=""
trap '[ -n "$simpid" ] && kill "$simpid" 2>/dev/null; rm -rf "$work"' EXIT
fail() { echo "FAILED: $*" >&2; exit 1; }

"$regsim" > "$work/sim.out" 2>/dev/null &
simpid=$!
for _ in $(seq 100); do [ -s "$work/sim.out" ] && break; sleep 0.05; done
pty=$(head -n 1 "$work/sim.out")
[ -n "$pty" ] || fail "no pseudo-terminal"

"$tramond" create "$work/shop.app" > /dev/null
"$tramond" --yes "$work/shop.app" clinst 0 "$pty" 38400 2> /dev/null || fail "install"
echo 000000002 > "$work/shop.upd"

# What systemd would run: ExecStart with the instance's environment file.
exec_start=$(sed -n 's/^ExecStart=//p' "$src/contrib/systemd/tramond-update@.service")
[ -n "$exec_start" ] || fail "the unit has no ExecStart"
PROGRAM=$work/shop.app REGISTER=0 PORT=$pty BAUD=38400
cmd=${exec_start//\$\{PROGRAM\}/$PROGRAM}
cmd=${cmd//\$\{REGISTER\}/$REGISTER}
cmd=${cmd//\$\{PORT\}/$PORT}
cmd=${cmd//\$\{BAUD\}/$BAUD}
cmd=${cmd/\/usr\/bin\/tramond/$tramond}
# shellcheck disable=SC2086 # systemd splits ExecStart on blanks too
$cmd > "$work/out.json" 2> "$work/err.log" || { cat "$work/err.log"; fail "the unit's command failed"; }
grep -q '"ok":true' "$work/out.json" || fail "no success in $(cat "$work/out.json")"
grep -q '^OnCalendar=' "$src/contrib/systemd/tramond-update@.timer" || fail "the timer has no calendar"
echo "systemd unit: every check held"
