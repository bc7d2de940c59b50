#!/usr/bin/env bash
# Follows README.md as a new user would: every block fenced as ```sh, line by line and in the
# README's order, in one shell, in a private world (home, runtime and configuration directories,
# an X display of its own, no session bus), with build/bin/ meaning this build's programs. A line
# that fails fails the test, named by its line in the README. Blocks fenced without "sh" (make,
# installing, what needs the user's own sound server) are shown, not run.
# Usage: readme-steps.sh <README.md> <build dir> <scratch dir>
set -euo pipefail
readme=$1 build=$(cd "$2" && pwd) scratch=$3

rm -rf "$scratch"
mkdir -p "$scratch/home" "$scratch/work"
mkdir -m 700 "$scratch/run"
steps=$scratch/steps.sh

# Each step as the user types it, then a check of its exit code. A program started in the
# background is waited for as a user would look for it: the manager until it answers, its window
# list once its automation is on.
awk -v readme="$readme" '
    BEGIN {
        print "set -u"
        print "ready() {"
        print "    for _ in $(seq 600); do"
        print "        if [ -n \"${VARNEL_AUTOMATION:-}\" ]; then"
        print "            varnelctl ui windows 2>/dev/null | grep -q \"\\\"Varnel PRO\\\"\" && varnelctl ui idle >/dev/null && return"
        print "        else"
        print "            [ -S \"$XDG_RUNTIME_DIR/varnel-pro/manager.sock\" ] && return"
        print "        fi"
        print "        sleep 0.05"
        print "    done"
        print "    echo \"the manager did not come up\"; return 1"
        print "}"
        print "varnelctl() { \"$VARNEL_BUILD/bin/varnelctl\" \"$@\"; }"
    }
    /^```/ { inside = ($0 == "```sh"); next }
    !inside || /^[[:space:]]*(#|$)/ { next }
    {
        line = $0
        gsub(/build\/bin\//, "$VARNEL_BUILD/bin/", line)
        printf "echo %s >&2\n", "\"README.md:" NR ": \"" 
        print line
        if (line ~ /&[[:space:]]*(#.*)?$/)
            printf "ready || { echo \"README.md:%d: %s\" >&2; exit 1; }\n", NR, "not up"
        else
            printf "status=$?; [ $status = 0 ] || { echo \"README.md:%d: exit $status\" >&2; exit 1; }\n", NR
    }
    END { print "kill $(jobs -p) 2>/dev/null; exit 0" }
' "$readme" >"$steps"

export HOME=$scratch/home XDG_RUNTIME_DIR=$scratch/run XDG_CONFIG_HOME=$scratch/home/.config
export VARNEL_BUILD=$build DBUS_SESSION_BUS_ADDRESS=unix:path=$scratch/no-bus
unset XDG_STATE_HOME VARNEL_CARD_SOCKET VARNEL_AUTOMATION VARNEL_NO_AUTOSPAWN VARNEL_HEADLESS \
    VARNEL_BIN_DIR VARNEL_INSTANCE_SOCKET QT_QPA_PLATFORM WAYLAND_DISPLAY
# A display of its own, in a range the other tests' servers leave alone; up once its socket is
# there, else the next one.
xvfb=
cleanup() {
    find "$XDG_RUNTIME_DIR" -type s -delete 2>/dev/null || true
    [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null || true
}
# Whatever the steps leave running ends with its world: the daemons when their sockets go.
trap cleanup EXIT
for n in $(seq 200 249); do
    [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -nolisten tcp -screen 0 1280x1024x24 >"$scratch/xvfb.log" 2>&1 &
    xvfb=$!
    for _ in $(seq 200); do
        [ -S "/tmp/.X11-unix/X$n" ] && break
        kill -0 "$xvfb" 2>/dev/null || break
        sleep 0.05
    done
    if [ -S "/tmp/.X11-unix/X$n" ] && kill -0 "$xvfb" 2>/dev/null; then
        export DISPLAY=:$n
        break
    fi
    kill "$xvfb" 2>/dev/null || true
    xvfb=
done
[ -n "$xvfb" ] || { echo "readme: no X display could be started"; exit 1; }

cd "$scratch/work"
if ! bash "$steps" >"$scratch/out.log" 2>"$scratch/err.log"; then
    echo "readme: a step failed; its output:"
    tail -n 30 "$scratch/out.log"
    tail -n 30 "$scratch/err.log"
    exit 1
fi
failures=0
fail() {
    echo "readme: $*"
    failures=$((failures + 1))
}
# What the steps say they do, beyond their exit codes.
grep -qx "$scratch/work/adat.png" "$scratch/out.log" || fail "the screenshot's answer names no adat.png in the caller's directory"
[ -s "$scratch/work/adat.png" ] || fail "no adat.png in the caller's directory"
grep -qx '\[ADAT Inputs\]' "$XDG_CONFIG_HOME/varnel-pro/Zq40Promix.ini" ||
    fail "--quit left the open window's state unsaved"
[ -f "$HOME/.local/state/varnel-pro/varnel-cardd.log" ] || fail "the daemon started on demand left no log"
[ $failures = 0 ] && echo "readme: $(grep -c '^README.md:' "$scratch/err.log") steps followed"
exit $((failures > 0))
