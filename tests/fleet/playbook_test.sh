#!/usr/bin/env bash
# The fleet playbook run against this machine, with a simulated register on
# a pseudo-terminal standing in for a shop's register:
#   - clinst is refused without tramond_allow_clear;
#   - the first run installs and reports "changed", the next finds the
#     register equal and reports "unchanged";
#   - the shop PC holds exactly the dealer's files (a deleted one goes), not
#     world-readable;
#   - --check reports a differing register as "differs" with its differences,
#     writes the result file and sends nothing;
#   - a register still different after the transfer is failed with the
#     second comparison's differences;
#   - a silent register fails the host with the link error.
# Usage: playbook_test.sh TRAMOND REGSIM SOURCE_DIR
# Exit 77 (skipped) when ansible-playbook is missing, except under CI.
set -euo pipefail
tramond=$1 regsim=$2 src=$3
if ! command -v ansible-playbook >/dev/null; then
  [ "${CI:-}" = true ] && { echo "FAILED: ansible-playbook is not installed (scripts/setup.sh installs ansible-core)" >&2; exit 1; }
  echo "skipped: ansible-playbook is not installed" >&2
  exit 77
fi
work=$(mktemp -d)
simpid=""
cleanup() {
  [ -n "$simpid" ] && kill "$simpid" 2>/dev/null && wait "$simpid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAILED: $*" >&2; exit 1; }

start_sim() {
  "$regsim" "$@" > "$work/sim.out" 2> "$work/sim.err" &
  simpid=$!
  for _ in $(seq 300); do
    [ -s "$work/sim.out" ] && break
    sleep 0.05
  done
  pty=$(head -n 1 "$work/sim.out")
  [ -n "$pty" ] || fail "the simulator gave no pseudo-terminal"
}
stop_sim() {
  kill "$simpid"
  wait "$simpid" || true
  simpid=""
}

dealer=$work/dealer shop=$work/shop-pc
mkdir -p "$dealer" "$work/results"
"$tramond" create "$dealer/shop.app" > /dev/null
# A keyboard of a network register the program does not use: it goes along
# while the dealer has it.
printf 'old keyboard' > "$dealer/shop.kb2"

# run_playbook MODE [EXTRA ARGUMENTS...]
run_playbook() {
  local mode=$1
  shift
  cat > "$work/vars.json" <<JSON
{"tramond_hosts": "localhost", "ansible_python_interpreter": "/usr/bin/python3",
 "tramond_program_src": "$dealer", "tramond_program_name": "shop",
 "tramond_dest": "$shop", "tramond_bin": "$tramond", "tramond_mode": "$mode",
 "tramond_results_dir": "$work/results",
 "tramond_registers": [{"register": 0, "port": "$pty", "baud": 38400}]}
JSON
  rm -f "$work/results/localhost.json"
  ANSIBLE_NOCOLOR=1 ANSIBLE_RETRY_FILES_ENABLED=0 ANSIBLE_LOCALHOST_WARNING=0 \
    ansible-playbook -i localhost, -c local "$src/contrib/ansible/site.yml" -e "@$work/vars.json" "$@" \
    > "$work/play.log" 2>&1
}
result() {  # a field of register 0 in this host's result file
  python3 -c 'import json,sys; print(json.load(open(sys.argv[1]))["registers"][0][sys.argv[2]])' \
    "$work/results/localhost.json" "$1"
}
differences() {  # how many differences register 0's result lists
  python3 -c 'import json,sys; print(len(json.load(open(sys.argv[1]))["registers"][0].get("differences", [])))' \
    "$work/results/localhost.json"
}
# change_department N BYTE: the dealer edits department N's descriptor.
change_department() {
  python3 - "$dealer/shop.dpt" "$1" "$2" <<'PY'
import sys
path, n, b = sys.argv[1], int(sys.argv[2]), int(sys.argv[3], 0)
data = bytearray(open(path, 'rb').read())
data[(n - 1) * 39 + 9] = b
open(path, 'wb').write(data)
PY
}

start_sim --dump "$work/register.app"

run_playbook clinst && fail "clinst ran without tramond_allow_clear"
grep -q 'tramond_allow_clear' "$work/play.log" || { cat "$work/play.log"; fail "the refusal does not say what to set"; }
[ ! -e "$shop" ] || fail "a refused run touched the shop PC"

run_playbook clinst -e tramond_allow_clear=true || { cat "$work/play.log"; fail "first run"; }
[ "$(result status)" = changed ] || fail "first run reported $(result status)"
grep -q 'changed=[1-9]' "$work/play.log" || fail "first run not counted as a change"
[ -f "$shop/work/shop.kb2" ] || fail "the dealer's keyboard file did not arrive"
for f in "$shop/incoming/shop.app" "$shop/incoming/shop.clk" "$shop/work/shop.plu"; do
  [ "$(stat -c %a "$f")" = 640 ] || fail "$f has mode $(stat -c %a "$f"), not 0640"
done
for d in "$shop" "$shop/incoming" "$shop/work"; do
  [ "$(stat -c %a "$d")" = 750 ] || fail "$d has mode $(stat -c %a "$d"), not 0750"
done

run_playbook update || { cat "$work/play.log"; fail "second run"; }
[ "$(result status)" = unchanged ] || fail "second run reported $(result status)"
grep -q 'changed=0' "$work/play.log" || { cat "$work/play.log"; fail "second run changed something"; }

# The dealer changes department 2 and lists it; a dry run tells, sends nothing.
change_department 2 0x5A
printf '000005002\r\n' > "$dealer/shop.upd"
run_playbook update --check || { cat "$work/play.log"; fail "dry run"; }
[ "$(result status)" = differs ] || fail "dry run reported $(result status)"
[ "$(differences)" -ge 1 ] || fail "dry run lists no differences"
grep -q 'changed=[1-9]' "$work/play.log" || fail "dry run does not count the register as would-change"
cmp -s "$shop/incoming/shop.dpt" "$dealer/shop.dpt" && fail "the dry run copied the program to incoming"
"$tramond" verify "$shop/incoming/shop.app" 0 "$pty" 38400 > /dev/null 2>&1 || fail "the dry run changed the register"

# The real run, with the keyboard file deleted by the dealer.
rm "$dealer/shop.kb2"
run_playbook update || { cat "$work/play.log"; fail "update run"; }
[ "$(result status)" = changed ] || fail "update run reported $(result status)"
[ ! -e "$shop/incoming/shop.kb2" ] || fail "a file the dealer deleted lingers in incoming"
[ ! -e "$shop/work/shop.kb2" ] || fail "a file the dealer deleted reached work"

# A change the update list does not name: the register still differs.
change_department 3 0x5B
printf '000005002\r\n' > "$dealer/shop.upd"
run_playbook update && fail "a register still different did not fail the host"
[ "$(result status)" = failed ] || fail "still-different register reported $(result status)"
[ "$(result still_different)" = True ] || fail "the result does not say the register still differs"
[ "$(differences)" -ge 1 ] || fail "the result lacks the second comparison's differences"

# The register holds the dealer's records, byte for byte (but department 3).
stop_sim
for ext in plu grp tnd tax clk; do
  cmp -s "$dealer/shop.$ext" "$work/register.$ext" || fail "register's .$ext differs"
done

start_sim --silent
if run_playbook update; then fail "a silent register did not fail the host"; fi
[ "$(result status)" = failed ] || fail "silent register reported $(result status)"
[ "$(result exit)" = 2 ] || fail "silent register gave exit $(result exit), not the link failure"
grep -q 'FAILED\|failed=1' "$work/play.log" || fail "the host was not failed"
echo "fleet playbook: every check held"
