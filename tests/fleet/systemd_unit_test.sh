#!/usr/bin/env bash
# The nightly unit: its command, taken from the unit file itself, run against
# a simulated register must update the register and leave one JSON result;
# its confinement must rate below 3.0 with systemd-analyze security (serial
# port, and with the network-port drop-in), the internet families only with
# the drop-in; a failure must start the failure hook, which exists.
# Usage: systemd_unit_test.sh TRAMOND REGSIM SOURCE_DIR
# Exit 77 (skipped) when systemd-analyze is missing, except under CI.
set -euo pipefail
tramond=$1 regsim=$2 src=$3
units=$src/contrib/systemd
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

# What systemd would run: ExecStart with the instance's environment file and
# the unit's own environment (no display, no XDG runtime folder of a login).
exec_start=$(sed -n 's/^ExecStart=//p' "$units/tramond-update@.service")
[ -n "$exec_start" ] || fail "the unit has no ExecStart"
PROGRAM=$work/shop.app REGISTER=0 PORT=$pty BAUD=38400
cmd=${exec_start//\$\{PROGRAM\}/$PROGRAM}
cmd=${cmd//\$\{REGISTER\}/$REGISTER}
cmd=${cmd//\$\{PORT\}/$PORT}
cmd=${cmd//\$\{BAUD\}/$BAUD}
cmd=${cmd/\/usr\/bin\/tramond/$tramond}
mkdir -p "$work/home" "$work/run"
# shellcheck disable=SC2086 # systemd splits ExecStart on blanks too
env -i PATH=/usr/bin:/bin HOME="$work/home" XDG_RUNTIME_DIR="$work/run" QT_ENABLE_REGEXP_JIT=0 \
  $cmd > "$work/out.json" 2> "$work/err.log" || { cat "$work/err.log"; fail "the unit's command failed"; }
grep -q '"ok":true' "$work/out.json" || fail "no success in $(cat "$work/out.json")"
grep -qiE 'QStandardPaths|^qt\.|^Q[A-Z][a-zA-Z]+:' "$work/err.log" && fail "a Qt warning on stderr: $(cat "$work/err.log")"
grep -q '^OnCalendar=' "$units/tramond-update@.timer" || fail "the timer has no calendar"

# directive UNIT NAME VALUE: the unit sets NAME=VALUE (last setting wins).
directive() { [ "$(sed -n "s/^$2=//p" "$1" | tail -1)" = "$3" ] || fail "$(basename "$1"): $2 is not \"$3\""; }
unit=$units/tramond-update@.service
directive "$unit" User tramond
directive "$unit" SupplementaryGroups dialout
directive "$unit" StateDirectory tramond
directive "$unit" ProtectSystem strict
directive "$unit" ProtectHome yes
directive "$unit" NoNewPrivileges yes
directive "$unit" PrivateTmp yes
directive "$unit" PrivateNetwork yes
directive "$unit" RestrictAddressFamilies AF_UNIX
directive "$unit" DevicePolicy closed
directive "$unit" CapabilityBoundingSet ""
directive "$unit" OnFailure 'tramond-update-failed@%i.service'
[ -f "$units/tramond-update-failed@.service" ] || fail "the failure hook unit is missing"
directive "$units/network-port.conf" RestrictAddressFamilies "AF_UNIX AF_INET AF_INET6"
directive "$units/network-port.conf" PrivateNetwork no

if ! command -v systemd-analyze >/dev/null || ! command -v systemd-sysusers >/dev/null; then
  [ "${CI:-}" = true ] && fail "systemd-analyze or systemd-sysusers is not installed"
  echo "skipped the account and the exposure rating: systemd's tools are not installed" >&2
  exit 77
fi
# The account as the package's postinst creates it, in a scratch root.
mkdir -p "$work/sysroot/etc"
systemd-sysusers --root="$work/sysroot" "$units/tramond.sysusers" > /dev/null 2>&1 || fail "systemd-sysusers refused the account"
grep -q '^tramond:x:[0-9]*:[0-9]*:[^:]*:/var/lib/tramond:' "$work/sysroot/etc/passwd" || fail "no tramond account"
grep -qE '^dialout:x:[0-9]+:(.*,)?tramond(,|$)' "$work/sysroot/etc/group" || fail "tramond is not in dialout"

# exposure ROOT: the rating of instance shop1 as installed under ROOT.
exposure() {
  systemd-analyze security --offline=yes --root="$1" tramond-update@shop1.service 2>"$work/analyze.err" |
    sed -n 's/^→ Overall exposure level for tramond-update@shop1.service: \([0-9.]*\).*/\1/p'
}
root=$work/root
mkdir -p "$root/etc/systemd/system"
cp "$unit" "$root/etc/systemd/system/tramond-update@.service"
serial=$(exposure "$root")
[ -n "$serial" ] || fail "no rating: $(cat "$work/analyze.err")"
mkdir -p "$root/etc/systemd/system/tramond-update@shop1.service.d"
cp "$units/network-port.conf" "$root/etc/systemd/system/tramond-update@shop1.service.d/"
network=$(exposure "$root")
[ -n "$network" ] || fail "no rating with the drop-in: $(cat "$work/analyze.err")"
echo "exposure: serial port $serial, network port $network"
awk -v s="$serial" -v n="$network" 'BEGIN { exit !(s < 3.0 && n < 3.0 && s < n) }' ||
  fail "exposure $serial (serial) / $network (network) is not below 3.0, or the network does not count"
echo "systemd unit: every check held"
