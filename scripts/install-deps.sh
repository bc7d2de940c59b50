#!/usr/bin/env bash
# Installs every Debian package the project needs, only when something is missing.
# Idempotent and quiet when all is present. `install-deps.sh bench` adds what the benchmarks
# need beyond building and testing (make bench passes it), `install-deps.sh soak` what make soak needs.
set -euo pipefail

packages=(
    g++ cmake ninja-build make pkg-config
    libgtest-dev libgmock-dev googletest libbenchmark-dev
    qt6-base-dev qt6-base-dev-tools qt6-svg-dev libgl-dev
    xvfb xauth fonts-liberation
    dbus
    libsndfile1-dev
    clang libclang-rt-14-dev
)
if [ "${1:-}" = bench ]; then
    # bench/metering.sh: a sound server, the peer mixer and the tools that drive them
    packages+=(pulseaudio pavucontrol sox dbus-x11 xdotool)
fi
if [ "${1:-}" = soak ]; then
    # tests/soak/soak.sh plots its figures
    packages+=(gnuplot-nox)
fi

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "install-deps: installing ${missing[*]}" >&2
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -q >/dev/null
"${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}" >/dev/null
