#!/usr/bin/env bash
# metering.sh BUILD_DIR - the CPU cost of live metering, ours beside a peer mixer, with a verdict
# on the two goals: per visible meter at most a tenth of the peer's cost, and at most 0.05 % of
# one core once the meters are hidden. The measuring is measure-metering.sh beside this file;
# this wrapper skips (exit 77) where its tools are not installed and reads the verdict off its
# table. ROUNDS, SETTLE and SAMPLE pass through.
set -u
build=${1:?usage: metering.sh BUILD_DIR}
here=$(cd "$(dirname "$0")" && pwd)
for tool in Xvfb pulseaudio pactl paplay pavucontrol dbus-daemon xdotool sox; do
    command -v "$tool" >/dev/null || { echo "metering: $tool is not installed: skipped"; exit 77; }
done
table=$(mktemp) || exit 1
trap 'rm -f "$table"' EXIT
"$here/measure-metering.sh" "$build" | tee "$table"
awk '
    $1 == "peer" && $2 == "visible" && $3 == "mean" { peer = ($4 > 0) ? ($7 / $4) : -1 }
    $1 == "ours" && $2 == "visible" && $3 == "mean" { ours = ($4 > 0) ? ($7 / $4) : -1 }
    $1 == "ours" && $2 == "hidden" && $3 == "mean" { hidden = $7; seen = 1 }
    END {
        if (peer <= 0 || ours < 0 || !seen) { print "verdict: a case is missing"; exit 1 }
        ok = 1
        if (ours > peer / 10) ok = 0
        printf "verdict: per visible meter ours %.4f %% vs peer %.4f %% (goal <= %.4f): %s\n",
               ours, peer, peer / 10, (ours <= peer / 10 ? "met" : "MISSED")
        if (hidden > 0.05) ok = 0
        printf "verdict: hidden, the manager and its X server take %.3f %% of a core (goal <= 0.05): %s\n",
               hidden, (hidden <= 0.05 ? "met" : "MISSED")
        exit ok ? 0 : 2
    }' "$table"
