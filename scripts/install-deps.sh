#!/usr/bin/env bash
# Installs every Debian package the project needs, only when something is missing.
# Idempotent and quiet when all is present. A set name adds what one command needs beyond
# building and running: `test` (make test), `package` (make package), `bench` (make bench),
# `soak` (make soak) and `fuzz` (make fuzz).
set -euo pipefail

packages=(
    g++ cmake ninja-build make pkg-config
    libgtest-dev libgmock-dev googletest libbenchmark-dev
    qt6-base-dev qt6-base-dev-tools libgl-dev
    xvfb xauth fonts-liberation
    dbus
    libsndfile1-dev libpulse-dev
    libxcb1-dev  # the desktop backend watches for a tray; the desktop benchmark for the icon map
    libatspi2.0-dev  # the AT-SPI client of the accessibility tests, built with every build
)

installed() {
    dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"
}

# A sound server only where the machine has none: on a desktop with one of the two, installing
# the other could take over the user's sound at the next login. Tests and benchmarks run
# whichever is installed, privately.
sound_server() {
    installed pulseaudio || installed pipewire-pulse || packages+=(pulseaudio)
    packages+=(pulseaudio-utils)
}

case "${1:-}" in
    test)
        # the package built and checked by the tests (lintian, its manual pages rendered); the
        # README followed step by step (sox makes its sound file); the simulated card's real audio
        packages+=(dpkg-dev file desktop-file-utils appstream lintian man-db groff-base sox)
        # the accessibility bus the desktop tests read the program on
        packages+=(at-spi2-core)
        # a real panel for the tray (its settings daemon; xwininfo finds the icon and its
        # stand-in, xdotool clicks it)
        packages+=(xfce4-panel xfconf x11-utils xdotool)
        # the desktops the desktop tests run on: window managers that frame and place windows
        # (xfwm4 reads its settings through xfconf), and a Wayland compositor with Qt's platform
        packages+=(openbox xfwm4 weston qt6-wayland)
        sound_server
        ;;
    package)
        # make package: dpkg-shlibdeps computes the dependencies, file finds the binaries
        packages+=(dpkg-dev file)
        ;;
    bench)
        # bench/: the peer mixer and the tools that drive it; perf for where the metering time
        # goes when it misses its goal (its software clock works where a virtual machine has no
        # hardware counters)
        sound_server
        packages+=(pavucontrol sox dbus-x11 xdotool linux-perf)
        ;;
    soak)
        # tests/soak/soak.sh plots its figures
        packages+=(gnuplot-nox)
        ;;
    fuzz)
        # libFuzzer comes with clang
        packages+=(clang libclang-rt-14-dev)
        ;;
    "") ;;
    *)
        echo "install-deps: unknown set '$1' (test, package, bench, soak or fuzz)" >&2
        exit 2
        ;;
esac

missing=()
for p in "${packages[@]}"; do
    installed "$p" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "install-deps: installing ${missing[*]}" >&2
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -q >/dev/null
# Waits for a package manager that another install holds instead of failing at once.
"${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends -o DPkg::Lock::Timeout=600 \
    "${missing[@]}" >/dev/null
