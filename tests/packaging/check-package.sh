#!/usr/bin/env bash
# Builds the Debian package from the built tree into a scratch directory and checks it as a
# user's system would see it: the files and where they go, the computed dependencies, the desktop
# entries and AppStream data through their validators, and the unpacked manager starting its
# helpers from libexec on its own.
# Usage: check-package.sh <build dir> <scratch dir> <version>
set -euo pipefail
build=$1 scratch=$2 version=$3
id=de.varnel.promanager
failures=0
fail() {
    echo "package: $*"
    failures=$((failures + 1))
}

rm -rf "$scratch"
mkdir -p "$scratch/out" "$scratch/root" "$scratch/control" "$scratch/run"
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/out" >"$scratch/cpack.log" 2>&1 ||
    { cat "$scratch/cpack.log"; exit 1; }
deb=$(echo "$scratch"/out/*.deb)
[ -f "$deb" ] || { echo "package: no single .deb in $scratch/out"; exit 1; }
dpkg-deb -x "$deb" "$scratch/root"
dpkg-deb -e "$deb" "$scratch/control"
root=$scratch/root

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = varnel-pro-manager ] || fail "Package is '$(field Package)'"
[ "$(field Version)" = "$version" ] || fail "Version is '$(field Version)', the project's is $version"
[ "$(field Section)" = sound ] || fail "Section is '$(field Section)'"
# dpkg-shlibdeps writes each library's package with its lowest version; nothing lists them by hand.
for lib in libc6 libqt6widgets6 libsndfile1; do
    [[ "$(field Depends)" == *"$lib (>= "* ]] || fail "Depends lacks the computed $lib: '$(field Depends)'"
done
grep -qx "/etc/xdg/autostart/$id.desktop" "$scratch/control/conffiles" ||
    fail "the autostart entry is not a conffile"

expected="./etc/xdg/autostart/$id.desktop
./usr/bin/varnel-manager
./usr/bin/varnelctl
./usr/libexec/varnel-pro/rundll
./usr/libexec/varnel-pro/varnel-cardd
./usr/share/applications/$id.desktop
./usr/share/icons/hicolor/scalable/apps/varnel-manager.svg
./usr/share/metainfo/$id.metainfo.xml"
actual=$(cd "$root" && find . ! -type d | sort)
[ "$actual" = "$expected" ] || fail "files differ (- expected, + packaged):
$(diff <(echo "$expected") <(echo "$actual") | grep '^[<>]' | sed 's/^</-/; s/^>/+/')"
for program in usr/bin/varnel-manager usr/bin/varnelctl usr/libexec/varnel-pro/rundll \
    usr/libexec/varnel-pro/varnel-cardd; do
    [ -x "$root/$program" ] || fail "$program is not executable"
    [[ "$(file -b "$root/$program")" == ELF*", stripped" ]] || fail "$program is not a stripped ELF"
done

# Each desktop entry names the icon the package brings, the metainfo the entry and the release.
for entry in "$root/usr/share/applications/$id.desktop" "$root/etc/xdg/autostart/$id.desktop"; do
    out=$(desktop-file-validate "$entry" 2>&1) || fail "desktop-file-validate failed on $entry"
    [ -z "$out" ] || fail "desktop-file-validate on $entry: $out"
    icon=$(sed -n 's/^Icon=//p' "$entry")
    [ -f "$root/usr/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "$entry: no icon '$icon'"
    grep -qx 'Exec=varnel-manager' "$entry" || fail "$entry does not start varnel-manager"
done
metainfo=$root/usr/share/metainfo/$id.metainfo.xml
out=$(appstreamcli validate --no-net "$metainfo" 2>&1) || fail "appstreamcli validate: $out"
if grep -E '^[EW]:' <<<"$out"; then fail "appstreamcli reports errors or warnings"; fi
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" ||
    fail "the metainfo does not launch $id.desktop"
grep -q "<release version=\"$version\"" "$metainfo" || fail "the metainfo's release is not $version"

# The unpacked manager, with nothing telling it where its helpers are, starts the card daemon
# (the platform's auto-start) and the configuration process (getstates at startup) from libexec.
run=$scratch/run
export VARNEL_HEADLESS=1 VARNEL_CARD_SOCKET=$run/card.sock XDG_CONFIG_HOME=$run/config
export XDG_STATE_HOME=$run/state XDG_RUNTIME_DIR=$run/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"
unset VARNEL_BIN_DIR VARNEL_NO_AUTOSPAWN VARNEL_AUTOMATION
"$root/usr/bin/varnel-manager" 2>"$run/manager.err" &
manager=$!
# The daemon started on demand ends within two seconds once its socket is gone.
trap 'kill "$manager" 2>/dev/null || true; rm -f "$run/card.sock"' EXIT
started=0
for _ in $(seq 200); do
    trace=$("$root/usr/bin/varnelctl" trace 2>/dev/null || true)
    if grep -q ' config dev=- getstates .* result=0' <<<"$trace" && grep -q ' open ' <<<"$trace"; then
        started=1
        break
    fi
    kill -0 "$manager" 2>/dev/null || break
    sleep 0.1
done
[ $started = 1 ] || fail "the unpacked manager did not reach the card through its helpers:
$(cat "$run/manager.err")
$trace"
"$root/usr/bin/varnelctl" unplug 0 >/dev/null || fail "varnelctl unplug failed"
for _ in $(seq 100); do
    kill -0 "$manager" 2>/dev/null || break
    sleep 0.1
done
if kill -0 "$manager" 2>/dev/null; then
    fail "the unpacked manager outlived its card's removal"
    kill "$manager"
    wait "$manager" || true
else
    status=0
    wait "$manager" || status=$?
    [ $status = 0 ] || fail "the unpacked manager ended with $status: $(cat "$run/manager.err")"
fi

[ $failures = 0 ] && echo "package: $(basename "$deb") checked"
exit $((failures > 0))
