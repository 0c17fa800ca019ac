#!/usr/bin/env bash
# The fleet playbook run against this machine, with a simulated register on
# a pseudo-terminal standing in for a shop's register: the first run installs
# and reports "changed", the second finds the register equal and reports
# "unchanged", a silent register fails the host with the link error.
# Usage: playbook_test.sh TRAMOND REGSIM SOURCE_DIR
set -euo pipefail
tramond=$1 regsim=$2 src=$3
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
  for _ in $(seq 100); do
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

mkdir -p "$work/dealer" "$work/results"
"$tramond" create "$work/dealer/shop.app" > /dev/null

run_playbook() {
  cat > "$work/vars.json" <<JSON
{"tramond_hosts": "localhost", "ansible_python_interpreter": "/usr/bin/python3",
 "tramond_program_src": "$work/dealer", "tramond_program_name": "shop",
 "tramond_dest": "$work/shop-pc", "tramond_bin": "$tramond", "tramond_mode": "clinst",
 "tramond_results_dir": "$work/results",
 "tramond_registers": [{"register": 0, "port": "$pty", "baud": 38400}]}
JSON
  ANSIBLE_NOCOLOR=1 ANSIBLE_RETRY_FILES_ENABLED=0 ANSIBLE_LOCALHOST_WARNING=0 \
    ansible-playbook -i localhost, -c local "$src/contrib/ansible/site.yml" -e "@$work/vars.json" \
    > "$work/play.log" 2>&1
}
result() {  # the status of register 0 in this host's result file
  python3 -c 'import json,sys; print(json.load(open(sys.argv[1]))["registers"][0][sys.argv[2]])' \
    "$work/results/localhost.json" "$1"
}

start_sim --dump "$work/register.app"
run_playbook || { cat "$work/play.log"; fail "first run"; }
[ "$(result status)" = changed ] || fail "first run reported $(result status)"
grep -q 'changed=[1-9]' "$work/play.log" || fail "first run not counted as a change"

run_playbook || { cat "$work/play.log"; fail "second run"; }
[ "$(result status)" = unchanged ] || fail "second run reported $(result status)"
grep -q 'changed=0' "$work/play.log" || { cat "$work/play.log"; fail "second run changed something"; }

# The register holds the dealer's records, byte for byte.
stop_sim
for ext in plu dpt grp tnd tax clk; do
  cmp -s "$work/dealer/shop.$ext" "$work/register.$ext" || fail "register's .$ext differs"
done

start_sim --silent
if run_playbook; then fail "a silent register did not fail the host"; fi
[ "$(result status)" = failed ] || fail "silent register reported $(result status)"
[ "$(result exit)" = 2 ] || fail "silent register gave exit $(result exit), not the link failure"
grep -q 'FAILED\|failed=1' "$work/play.log" || fail "the host was not failed"
echo "fleet playbook: every check held"
