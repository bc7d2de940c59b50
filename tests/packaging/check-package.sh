#!/usr/bin/env bash
# Builds the Debian package from the built tree into a scratch directory and checks it as a
# user's system would see it: the files and where they go, the computed dependencies, lintian,
# the desktop entries and AppStream data through their validators, the manual pages rendered, the
# programs' --help and --version, and the unpacked manager starting its helpers from libexec on
# its own, with varnelctl's completion asking the daemon and the manager it started.
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
./usr/share/bash-completion/completions/varnelctl
./usr/share/doc/varnel-pro-manager/README.md
./usr/share/doc/varnel-pro-manager/changelog.gz
./usr/share/doc/varnel-pro-manager/copyright
./usr/share/icons/hicolor/scalable/apps/varnel-manager.svg
./usr/share/lintian/overrides/varnel-pro-manager
./usr/share/man/man1/varnel-cardd.1.gz
./usr/share/man/man1/varnel-manager.1.gz
./usr/share/man/man1/varnelctl.1.gz
./usr/share/metainfo/$id.metainfo.xml"
actual=$(cd "$root" && find . ! -type d | sort)
[ "$actual" = "$expected" ] || fail "files differ (- expected, + packaged):
$(diff <(echo "$expected") <(echo "$actual") | grep '^[<>]' | sed 's/^</-/; s/^>/+/')"
for program in usr/bin/varnel-manager usr/bin/varnelctl usr/libexec/varnel-pro/rundll \
    usr/libexec/varnel-pro/varnel-cardd; do
    [ -x "$root/$program" ] || fail "$program is not executable"
    [[ "$(file -b "$root/$program")" == ELF*", stripped" ]] || fail "$program is not a stripped ELF"
done

# Debian's own check: no errors; its warnings are printed for the log.
lintian --tag-display-limit 0 "$deb" >"$scratch/lintian.log" 2>&1 || true
grep '^W:' "$scratch/lintian.log" || true
if grep '^E:' "$scratch/lintian.log"; then fail "lintian reports errors"; fi
changelog=$(zcat "$root/usr/share/doc/varnel-pro-manager/changelog.gz" | dpkg-parsechangelog -l - -S Version)
[ "$changelog" = "$version" ] || fail "the changelog's entry is '$changelog', the package's $version"
grep -q '^Format: .*copyright-format/1.0/' "$root/usr/share/doc/varnel-pro-manager/copyright" ||
    fail "the copyright file is not machine-readable"

# The manual pages render without a warning and tell what the programs' help tells.
for page in "$root"/usr/share/man/man1/*.1.gz; do
    out=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >"$scratch/page.txt") ||
        fail "man cannot render $page"
    [ -z "$out" ] || fail "man warns on $(basename "$page"): $out"
    grep -q -- '--version' "$scratch/page.txt" || fail "$(basename "$page") lacks --version"
done
zcat "$root/usr/share/man/man1/varnelctl.1.gz" | grep -q '^\.B varnelctl unplug' ||
    fail "varnelctl's page lacks its commands"

# --help and --version of every program, and the usage line for an option none knows.
for program in usr/bin/varnel-manager usr/bin/varnelctl usr/libexec/varnel-pro/varnel-cardd \
    usr/libexec/varnel-pro/rundll; do
    name=$(basename "$program")
    out=$(env -u DISPLAY -u WAYLAND_DISPLAY "$root/$program" --version 2>&1) ||
        fail "$name --version failed"
    [ "$out" = "$name (Varnel PRO Manager) $version" ] || fail "$name --version: '$out'"
    "$root/$program" --help | head -1 | grep -q "^Usage: $name" || fail "$name --help has no usage line"
    [ "$name" = rundll ] && continue
    status=0
    out=$("$root/$program" --frobnicate 2>&1 >/dev/null) || status=$?
    [ $status = 2 ] && [[ "$out" == *"\"--frobnicate\""*"Usage: $name"* ]] ||
        fail "$name --frobnicate: exit $status, '$out'"
done

# Each desktop entry names the icon the package brings, the metainfo the entry and the release.
for entry in "$root/usr/share/applications/$id.desktop" "$root/etc/xdg/autostart/$id.desktop"; do
    out=$(desktop-file-validate "$entry" 2>&1) || fail "desktop-file-validate failed on $entry"
    [ -z "$out" ] || fail "desktop-file-validate on $entry: $out"
    icon=$(sed -n 's/^Icon=//p' "$entry")
    [ -f "$root/usr/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "$entry: no icon '$icon'"
    grep -qx 'Exec=varnel-manager' "$entry" || fail "$entry does not start varnel-manager"
    grep -qx 'TryExec=varnel-manager' "$entry" || fail "$entry starts a removed program"
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
unset VARNEL_BIN_DIR VARNEL_NO_AUTOSPAWN
# With no daemon, varnelctl names the one a user can run; --quit finds no manager.
out=$("$root/usr/bin/varnelctl" status 2>&1) && fail "varnelctl status without a daemon succeeded"
[[ "$out" == *"$root/usr/libexec/varnel-pro/varnel-cardd"* ]] || fail "varnelctl's hint: '$out'"
status=0
out=$("$root/usr/bin/varnel-manager" --quit 2>&1) || status=$?
[ $status = 1 ] && [ "$(wc -l <<<"$out")" = 1 ] || fail "--quit with none running: exit $status, '$out'"
# A log grown past its bound is set aside when the daemon opens it.
log=$XDG_STATE_HOME/varnel-pro/varnel-cardd.log
mkdir -p "$XDG_STATE_HOME/varnel-pro"
head -c 300000 /dev/zero >"$log"
export VARNEL_AUTOMATION=$run/ui.sock
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
[ -f "$log" ] && [ "$(stat -c %s "$log.1")" = 300000 ] && [ "$(stat -c %s "$log")" -lt 300000 ] ||
    fail "the daemon started on demand keeps no bounded log"

# varnelctl's completion, as bash runs it, asks the program's help, the daemon and the manager.
complete_line() {
    PATH=$root/usr/bin:$PATH bash -c '. "$1"; shift; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1))
        _varnelctl; printf "%s\n" "${COMPREPLY[@]}"' - \
        "$root/usr/share/bash-completion/completions/varnelctl" varnelctl "$@"
}
for check in "unplug|un" "0|signal ''" "analog-in|signal 0 ana" "sine|signal 0 analog-in s" \
    "Varnel\\ PRO|ui click Var" "chkAdatInputs|ui set Varnel\ PRO chkA"; do
    want=${check%%|*}
    eval "words=(${check#*|})"
    got=$(complete_line "${words[@]}")
    grep -Fqx -- "$want" <<<"$got" || fail "completing '${check#*|}' gives no $want: $got"
done
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
