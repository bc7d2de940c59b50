#!/usr/bin/env bash
# soak.sh BUILD_DIR - hours of use on the desktop: four cards, the four windows that can be open
# together, a scripted user acting every few hundred milliseconds, and the manager's and the card
# daemon's memory, descriptors and CPU recorded each minute.
#
# Environment: SOAK_SECONDS (3600), SOAK_SWITCH (180: seconds between the switches of the window
# pair), SOAK_DIR (where soak.csv, soak.png and the logs are kept;
# default BUILD_DIR/soak), SOAK_DISPLAY (96), the Xvfb display number.
#
# The user: moves faders of every card, switches output routes, changes the cards' signals, opens
# the settings dialog and applies or cancels it, and every few minutes switches between the ADAT
# and the digital window pair. Samples are taken only after `varnelctl ui idle` answered with no
# request in flight, so a sample never catches a half-done action. Per minute soak.csv holds the
# minimum and maximum of each figure over that minute's samples, and the CPU used in the minute.
#
# Verdict (exit 1 when missed), against the minute that ends the first five:
#   the per-minute minimum of either process's RSS grows by no more than 5 %;
#   the per-minute minimum of either process's open descriptors does not grow at all.
set -u
build=${1:?usage: soak.sh BUILD_DIR}
SOAK_SECONDS=${SOAK_SECONDS:-3600}
out=${SOAK_DIR:-$build/soak}
display=:${SOAK_DISPLAY:-96}
bin=$build/bin
for tool in Xvfb gnuplot; do
    command -v "$tool" >/dev/null || { echo "soak: $tool is not installed (make soak installs it)" >&2; exit 1; }
done
for program in varnel-cardd varnelctl varnel-manager; do
    [ -x "$bin/$program" ] || { echo "soak: $bin/$program is not built" >&2; exit 1; }
done

mkdir -p "$out" && rm -f "$out"/soak.csv "$out"/soak.png "$out"/*.log
world=$(mktemp -d) || exit 1
chmod 700 "$world"
export XDG_RUNTIME_DIR=$world XDG_CONFIG_HOME=$world/config XDG_STATE_HOME=$world/state
export VARNEL_CARD_SOCKET=$world/card.sock VARNEL_AUTOMATION=$world/ui.sock VARNEL_NO_AUTOSPAWN=1
export NO_AT_BRIDGE=1 QT_QPA_PLATFORM=xcb DISPLAY=$display
unset VARNEL_HEADLESS DBUS_SESSION_BUS_ADDRESS
HZ=$(getconf CLK_TCK)
pids=()

say() { printf 'soak: %s\n' "$*" >&2; }
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
    wait 2>/dev/null
    rm -rf "$world"
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP

wait_for() { for _ in $(seq 100); do [ -S "$1" ] && return 0; sleep 0.1; done; return 1; }

Xvfb "$display" -screen 0 1920x1600x24 -nolisten tcp >"$out/xvfb.log" 2>&1 &
pids+=($!)
"$bin/varnel-cardd" --cards 4 --foreground >"$out/cardd.log" 2>&1 &
daemon=$!
pids+=("$daemon")
wait_for "$VARNEL_CARD_SOCKET" || { say "the card daemon opened no socket"; exit 1; }
for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done
"$bin/varnel-manager" >"$out/manager.log" 2>&1 &
manager=$!
pids+=("$manager")
wait_for "$VARNEL_AUTOMATION" || { say "the manager opened no automation socket"; exit 1; }

failures=0
ui() {
    if ! "$bin/varnelctl" ui "$@" >"$world/ui.out" 2>&1; then
        failures=$((failures + 1))
        say "ui $* -> $(tail -n1 "$world/ui.out")"
        return 1
    fi
}
ctl() { "$bin/varnelctl" "$@" >/dev/null 2>&1 || say "varnelctl $* failed"; }

# The four windows that can be open together; `family` is adat or digital.
family=none
open_family() {
    # A route from an ADAT input disables the digital windows' boxes and one from a digital
    # source the ADAT ones; the first card's route back to the application frees them all.
    [ "$family" = none ] || ui click "Analog Output" btnProgram
    if [ "$1" = adat ]; then
        ui set "Varnel PRO" chkAdatInputs 1 && ui set "Varnel PRO" chkAdatOutputs 1
    else
        ui set "Varnel PRO" chkDigitalInputs 1 && ui set "Varnel PRO" chkDigitalOutputs 1
    fi
    family=$1
}

ui tray dblclick
ui set "Varnel PRO" chkAnalogInputs 1
ui set "Varnel PRO" chkAnalogOutputs 1
ui set "Analog Input" chkGainSlider 1
open_family adat

devices=(analog-in digital-in adat-in-1 adat-in-2 adat-in-3 adat-in-4)
# Only the first card's strip keeps its designed names; the clones of the others are unnamed.
routes=(btnProgram btnDigOut btnAnaInp btnDigInp btnAdatInp)
settings="Zq40Pro Einstellungen Karte #1"
act() {
    local card=$((RANDOM % 4))
    case $((RANDOM % 10)) in
    0 | 1 | 2 | 3) ui set "Analog Input" "Slider$((card * 2 + RANDOM % 2))" $((108 + RANDOM % 148)) ;;
    4 | 5) ui click "Analog Output" "${routes[RANDOM % 5]}" ;;
    6 | 7)
        local device=${devices[RANDOM % 6]}
        if ((RANDOM % 2)); then
            ctl signal "$card" "$device" sine "-$((RANDOM % 40))" $((100 + RANDOM % 2000))
        else
            ctl signal "$card" "$device" noise "-$((RANDOM % 40))"
        fi
        ;;
    8)
        ui set "Varnel PRO" chkSettings 1 || return
        ui click "$settings" "btnAnaOutClock$((1 + RANDOM % 2))"
        ui click "$settings" btnApply
        if ((RANDOM % 2)); then ui click "$settings" btnOk; else ui click "$settings" btnCancel; fi
        ;;
    9) ui set "Varnel PRO" chkStayOnTop $((RANDOM % 2)) ;;
    esac
}

figures() { # figures PID: rss_kib descriptors cpu_ticks
    local stat fields rss
    stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 1
    read -ra fields <<<"${stat##*) }"
    rss=$(awk '/^VmRSS:/ { print $2 }' "/proc/$1/status")
    echo "$rss $(ls "/proc/$1/fd" | wc -l) $((fields[11] + fields[12]))"
}

echo "minute,manager_rss_min_kib,manager_rss_max_kib,manager_fds_min,manager_cpu_pct,daemon_rss_min_kib,daemon_rss_max_kib,daemon_fds_min,daemon_cpu_pct,actions,ui_failures" >"$out/soak.csv"
start=$(date +%s)
minute=1 actions=0 last_switch=$start
read -r _ _ m_ticks0 <<<"$(figures "$manager")"
read -r _ _ d_ticks0 <<<"$(figures "$daemon")"
m_rss_min="" d_rss_min="" m_rss_max=0 d_rss_max=0 m_fds_min="" d_fds_min=""
say "running for $SOAK_SECONDS s; figures in $out/soak.csv"
while :; do
    now=$(date +%s)
    kill -0 "$manager" 2>/dev/null || { say "the manager ended: $(tail -n3 "$out/manager.log")"; exit 1; }
    kill -0 "$daemon" 2>/dev/null || { say "the card daemon ended"; exit 1; }
    if ((now - last_switch >= ${SOAK_SWITCH:-180})); then
        [ "$family" = adat ] && open_family digital || open_family adat
        last_switch=$now
    fi
    act
    actions=$((actions + 1))
    # A box the user's action raised (a refused route, say) is read and answered, as a user would.
    if ui msgbox && [ "$(wc -l <"$world/ui.out")" -gt 1 ]; then
        say "box: $(head -n1 "$world/ui.out")"
        ui answer ok
    fi
    sleep "0.$((2 + RANDOM % 4))"
    ui idle || continue
    read -r m_rss m_fds m_ticks <<<"$(figures "$manager")"
    read -r d_rss d_fds d_ticks <<<"$(figures "$daemon")"
    ((m_rss < ${m_rss_min:-m_rss + 1})) && m_rss_min=$m_rss
    ((d_rss < ${d_rss_min:-d_rss + 1})) && d_rss_min=$d_rss
    ((m_fds < ${m_fds_min:-m_fds + 1})) && m_fds_min=$m_fds
    ((d_fds < ${d_fds_min:-d_fds + 1})) && d_fds_min=$d_fds
    ((m_rss > m_rss_max)) && m_rss_max=$m_rss
    ((d_rss > d_rss_max)) && d_rss_max=$d_rss
    if ((now - start >= minute * 60)); then
        awk -v m="$minute" -v a="$m_rss_min" -v b="$m_rss_max" -v c="$m_fds_min" \
            -v mc=$((m_ticks - m_ticks0)) -v d="$d_rss_min" -v e="$d_rss_max" -v f="$d_fds_min" \
            -v dc=$((d_ticks - d_ticks0)) -v n="$actions" -v u="$failures" -v hz="$HZ" \
            'BEGIN { printf "%d,%d,%d,%d,%.2f,%d,%d,%d,%.2f,%d,%d\n",
                     m, a, b, c, mc * 100 / hz / 60, d, e, f, dc * 100 / hz / 60, n, u }' >>"$out/soak.csv"
        minute=$((minute + 1)) m_ticks0=$m_ticks d_ticks0=$d_ticks
        m_rss_min="" d_rss_min="" m_rss_max=0 d_rss_max=0 m_fds_min="" d_fds_min=""
        ((now - start >= SOAK_SECONDS)) && break
    fi
done

gnuplot <<EOF
set terminal pngcairo size 1200,800
set output "$out/soak.png"
set datafile separator ","
set offsets 0, 0, graph 0.1, graph 0.1
set multiplot layout 3,1 title "Soak: four cards, four windows, a scripted user"
set ylabel "RSS (MiB)"
plot "$out/soak.csv" using 1:(\$2/1024) with lines title "manager (min)", "" using 1:(\$6/1024) with lines title "daemon (min)"
set ylabel "descriptors"
plot "$out/soak.csv" using 1:4 with lines title "manager (min)", "" using 1:8 with lines title "daemon (min)"
set ylabel "CPU (% of a core)"
set xlabel "minute"
plot "$out/soak.csv" using 1:5 with lines title "manager", "" using 1:9 with lines title "daemon"
unset multiplot
EOF

awk -F, 'NR == 1 { next }
    { row[$1] = $0; last = $1 }
    END {
        if (last <= 5) { printf "verdict: %d minutes are too short for a verdict on growth\n", last; exit 0 }
        split(row[5], base, ",")
        ok = 1
        for (m = 6; m <= last; m++) {
            split(row[m], now, ",")
            if (now[2] > base[2] * 1.05 || now[6] > base[6] * 1.05) { ok = 0; grew = grew " rss@" m }
            if (now[4] > base[4] || now[8] > base[8]) { ok = 0; grew = grew " fds@" m }
        }
        split(row[last], end, ",")
        printf "manager: RSS %.1f -> %.1f MiB, descriptors %d -> %d, CPU %.2f %% in the last minute\n",
               base[2] / 1024, end[2] / 1024, base[4], end[4], end[5]
        printf "daemon:  RSS %.1f -> %.1f MiB, descriptors %d -> %d, CPU %.2f %% in the last minute\n",
               base[6] / 1024, end[6] / 1024, base[8], end[8], end[9]
        printf "actions %d, refused requests %d\n", end[10], end[11]
        print (ok ? "verdict: no growth after the first five minutes" : "verdict: MISSED, grew at" grew)
        exit ok ? 0 : 1
    }' "$out/soak.csv"
status=$?
say "plot: $out/soak.png"
exit $status
