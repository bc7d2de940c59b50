#!/bin/sh
# Runs one fuzz target of build-fuzz for a number of seconds, from its committed corpus; new
# inputs go to build-fuzz/corpus/<target>, crashes to build-fuzz/artifacts, the output to
# build-fuzz/logs/<target>.log. Prints the run's last status line; fails on a finding.
# usage: run-fuzzer.sh <seconds> <target> <committed corpus>
set -u
seconds=$1 target=$2 corpus=$3
cd build-fuzz || exit 1
binary=$(find . -name "$target" -type f -perm -u+x | head -n 1)
mkdir -p "corpus/$target" artifacts logs
echo "fuzzing $target for $seconds s"
"$binary" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix=artifacts/ \
    "corpus/$target" "$corpus" >"logs/$target.log" 2>&1
status=$?
echo "$target: $(grep -E '^#[0-9]+' "logs/$target.log" | tail -n 1)"
[ $status -eq 0 ] || echo "$target: finding, see build-fuzz/logs/$target.log" >&2
exit $status
