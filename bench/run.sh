#!/usr/bin/env bash
# make bench: runs the probe under Wine (start-up, CPU, cadence, scaling) and compares the sizes,
# then prints the table and writes it to BUILD/bench/results.md.
# usage: bench/run.sh [BUILD]   (BUILD holds win32/ or win64/, default: build)
# It measures the Windows build that tools/wine-arch names (i686 under wine, or x86_64 under
# wine64 where the kernel cannot run 32-bit programs; LOBECAST_WINE_ARCH=win32|win64 forces it).
# BENCH_STARTS (7) and BENCH_IDLE (5 s) set the number of timed starts and the stopped time.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=$(cd "${1:-$ROOT/build}" && pwd)
OUT=$BUILD/bench
ARCH=$("$ROOT/tools/wine-arch" --for "make bench measures")
case $ARCH in
win32) BUILD_NAME="the i686 build under wine" ;;
*) BUILD_NAME="the x86_64 build under wine64" ;;
esac
LOBECAST=$BUILD/$ARCH/lobecast.exe
BASELINE=$BUILD/$ARCH/bench/baseline.exe
ARCS=$BUILD/$ARCH/bench/arcs.exe
PROBE=$BUILD/$ARCH/bench/probe.exe
STARTS=${BENCH_STARTS:-7}
IDLE=${BENCH_IDLE:-5}

say() { printf 'bench: %s\n' "$*" >&2; }
die() { say "$*"; exit 1; }
for f in "$LOBECAST" "$BASELINE" "$ARCS" "$PROBE"; do
    [[ -f $f ]] || die "missing $f (make bench builds it)"
done
mkdir -p "$OUT"

load() {
    local top
    top=$(top -bn1 -w 200 | awk 'NR > 7 && $9 + 0 >= 5 { printf "%s %s%%, ", $12, $9 }' | sed 's/, $//')
    [[ -n $top ]] && top="processes above 5 % CPU: $top" || top="no process above 5 % CPU"
    printf '%s; %s' "$(uptime | sed 's/.*load average/load average/')" "$top"
}

LOAD_BEFORE=$(load)
say "measuring $BUILD_NAME ($BUILD/$ARCH)"
say "machine before: $LOAD_BEFORE"

# One probe session (bench/session.py) on a private Xvfb of the given screen size, in a private
# copy of the prefix (so that other Wine runs on this machine neither wait for it nor disturb it).
probe() {
    local screen=$1 out=$2 limit=$3
    shift 3
    say "probe on a ${screen} screen: $*"
    if ! "$ROOT/tools/winerun" --build "$BUILD" --arch "$ARCH" --isolated --screen "$screen" \
        --timeout "$limit" -- "$ROOT/bench/session.py" "$PROBE" --lobecast "$LOBECAST" \
        --baseline "$BASELINE" --arcs "$ARCS" "$@" >"$out"; then
        cat "$out" >&2
        die "the probe failed (output above, also in $out)"
    fi
    if grep -q '^error' "$out" || ! grep -q '^done' "$out"; then
        cat "$out" >&2
        die "the probe did not finish (output in $out)"
    fi
}

# BENCH_REPORT_ONLY=1 formats the table again from the raw lines of the last run.
if [[ -z ${BENCH_REPORT_ONLY:-} ]]; then
    probe 1024x768x24 "$OUT/probe-default.txt" 400 --starts "$STARTS" --sizes default --idle "$IDLE"
    probe 3840x2160x24 "$OUT/probe-scaling.txt" 720 --sizes 992x673,1920x1080,3840x2160
fi

LOAD_AFTER=$(load)

# ---- the table --------------------------------------------------------------------------------

calc() { awk "BEGIN { printf $1 }"; }

D=$OUT/probe-default.txt
S=$OUT/probe-scaling.txt
read -r _ ENV <<<"$(grep '^env ' "$D")"
declare -A V=()
for pair in $ENV; do V[env.${pair%%=*}]=${pair#*=}; done
WINE=${V[env.wine]}
CPUS=${V[env.cpus]}

# V[KIND.PROG.KEY]: the values of the idle and run lines of file $1, those of the client size
# $2 when given (WxH).
load_raw() {
    local kind prog rest pair
    while read -r kind prog rest; do
        [[ $kind == idle || $kind == run ]] || continue
        [[ -z ${2:-} || " $rest " == *" w=${2%x*} h=${2#*x} "* ]] || continue
        for pair in $rest; do V[$kind.${prog#prog=}.${pair%%=*}]=${pair#*=}; done
    done <"$1"
}

# Start-up: median, minimum and maximum of the timed starts, and the median time from the
# window's first being visible to its static screen.
stats() {
    awk -v p="startup prog=$1 " 'BEGIN { n = 0 } index($0, p) == 1 {
            for (i = 1; i <= NF; ++i) { if ($i ~ /^s=/) s = substr($i, 3) + 0; if ($i ~ /^found_s=/) f = substr($i, 9) + 0 }
            v[n] = s; d[n++] = s - f }
        function median(a, n,   i, j, t) {
            for (i = 0; i < n; ++i) for (j = i + 1; j < n; ++j) if (a[j] < a[i]) { t = a[i]; a[i] = a[j]; a[j] = t }
            return n % 2 ? a[(n - 1) / 2] : (a[n / 2 - 1] + a[n / 2]) / 2 }
        END { if (!n) exit 1; m = median(v, n); printf "%.3f %.3f %.3f %d %.3f", m, v[0], v[n - 1], n, median(d, n) }' "$D"
}
read -r SL_MED SL_MIN SL_MAX SL_N SL_PAINT <<<"$(stats lobecast)"
read -r SB_MED SB_MIN SB_MAX _ SB_PAINT <<<"$(stats baseline)"
read -r SA_MED SA_MIN SA_MAX _ SA_PAINT <<<"$(stats arcs)"

load_raw "$D"
W0=${V[run.lobecast.w]}
H0=${V[run.lobecast.h]}
L_CPU=${V[run.lobecast.cpu_s]}
B_CPU=${V[run.baseline.cpu_s]}
A_CPU=${V[run.arcs.cpu_s]}
L_X=${V[run.lobecast.xvfb_s]}
L_SRV=${V[run.lobecast.server_s]}
A_X=${V[run.arcs.xvfb_s]}
A_SRV=${V[run.arcs.server_s]}
L_WALL=${V[run.lobecast.wall_s]}
A_WALL=${V[run.arcs.wall_s]}
LI_WIN=${V[idle.lobecast.window_s]}
BUSY=${V[run.lobecast.machine_busy]}

# A ratio that says so when the baseline used less than the /proc clock tick can show.
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (a <= 0.03 && b <= 0.03) printf "alike at the 10 ms clock-tick resolution"
    else if (b < 0.005) printf "> %.0f× (baseline under 0.01 s)", a / 0.01; else printf "%.0f×", a / b }'; }
# The same to two decimals, for programs of like cost.
ratio2() { awk -v a="$1" -v b="$2" 'BEGIN { if (b <= 0) printf "n/a"; else printf "%.2f×", a / b }'; }
ms_tick() { calc "\"%.2f\", 1000 * $1 / $2"; }

SIZE_L=$(stat -c %s "$LOBECAST")
SIZE_B=$(stat -c %s "$BASELINE")
SIZE_A=$(stat -c %s "$ARCS")

OTHERS=$(calc "\"%.2f\", $BUSY * $CPUS - ($L_CPU + $L_X + $L_SRV + ${V[run.lobecast.probe_s]}) / ${V[run.lobecast.window_s]}")

{
    echo "# Lobecast benchmarks"
    echo
    echo "$(date -u '+%Y-%m-%d %H:%M UTC'), $(uname -m), $CPUS CPUs, Wine $WINE on Xvfb without a window manager."
    echo "Measured: $BUILD_NAME (\`$ARCH/\`: lobecast.exe, bench/baseline.exe, bench/arcs.exe, bench/probe.exe)."
    echo "Machine before: $LOAD_BEFORE. After: $LOAD_AFTER."
    echo "During the ${W0}x${H0} run of Lobecast the machine was $(calc "\"%.0f\", 100 * $BUSY")% busy;" \
        "other work than the measured processes took about $OTHERS of the $CPUS CPUs" \
        "(during the arc-calls run: $(calc "\"%.0f\", 100 * ${V[run.arcs.machine_busy]}")% busy)."
    echo
    echo "Each figure is measured beside two baselines in the same run: \`bench/baseline.cpp\`, a bare"
    echo "window with the same 50 ms timer, and \`bench/arcs.cpp\`, the same window making Lobecast's arc"
    echo "calls a tick and nothing else. How each figure is taken: docs/benchmarks.md in the sources."
    echo
    echo "| figure | Lobecast | bare window | arc calls alone | Lobecast vs bare window | Lobecast vs arc calls |"
    echo "|---|---|---|---|---|---|"
    echo "| start-up, CreateProcess to the static screen (median of $SL_N; min–max) | ${SL_MED} s (${SL_MIN}–${SL_MAX}; visible to drawn ${SL_PAINT} s) | ${SB_MED} s (${SB_MIN}–${SB_MAX}; visible to drawn ${SB_PAINT} s) | ${SA_MED} s (${SA_MIN}–${SA_MAX}; visible to drawn ${SA_PAINT} s) | $(calc "\"%+.3f s\", $SL_MED - $SB_MED") | $(calc "\"%+.3f s\", $SL_MED - $SA_MED") |"
    echo "| CPU of a whole 251-step run, ${W0}x${H0} | ${L_CPU} s, $(ms_tick "$L_CPU" 251) ms a tick | ${B_CPU} s, $(ms_tick "$B_CPU" 251) ms a tick | ${A_CPU} s, $(ms_tick "$A_CPU" 251) ms a tick | $(ratio "$L_CPU" "$B_CPU") | $(ratio2 "$L_CPU" "$A_CPU") |"
    echo "| CPU while stopped, $(calc "\"%.0f\", $LI_WIN") s ($(calc "\"%.0f\", $LI_WIN / 0.05") ticks) | ${V[idle.lobecast.cpu_s]} s | ${V[idle.baseline.cpu_s]} s | ${V[idle.arcs.cpu_s]} s | $(ratio "${V[idle.lobecast.cpu_s]}" "${V[idle.baseline.cpu_s]}") | $(ratio "${V[idle.lobecast.cpu_s]}" "${V[idle.arcs.cpu_s]}") |"
    echo "| X server and wineserver CPU during the run | ${L_X} s + ${L_SRV} s | ${V[run.baseline.xvfb_s]} s + ${V[run.baseline.server_s]} s | ${A_X} s + ${A_SRV} s | | $(ratio2 "$(calc "\"%.3f\", $L_X + $L_SRV")" "$(calc "\"%.3f\", $A_X + $A_SRV")") |"
    echo "| cadence: wall time of the 251 steps, ${W0}x${H0} | ${L_WALL} s ± ${V[run.lobecast.end_pm_s]} (steps ${V[run.lobecast.seen]} seen: ${V[run.lobecast.period_ms]} ms a step; from the last one seen: ${V[run.lobecast.wall_extrap_s]} s) | 12.550 s (251 × 50 ms) | ${A_WALL} s ± ${V[run.arcs.end_pm_s]} (steps ${V[run.arcs.seen]} seen: ${V[run.arcs.period_ms]} ms a step) | $(calc "\"%.3f×\", $L_WALL / 12.55") | $(calc "\"%.3f×\", $L_WALL / $A_WALL") |"
    echo "| size of the executable | ${SIZE_L} bytes | ${SIZE_B} bytes | ${SIZE_A} bytes | $(calc "\"%+d bytes (%.2f×)\", $SIZE_L - $SIZE_B, $SIZE_L / $SIZE_B") | $(calc "\"%+d bytes (%.2f×)\", $SIZE_L - $SIZE_A, $SIZE_L / $SIZE_A") |"
    echo
    echo "## Scaling with the client size ($BUILD_NAME, Wine ${WINE}, a 3840x2160 screen, the window resized before the run)"
    echo
    echo "| client | radius step | CPU per tick | bare window per tick | arc calls alone per tick | Lobecast vs arc calls | CPU vs 992x673 | share of a core | X server per tick | wall of 251 steps | step period: 1–50, 50–100, 100–150, 150–end seen | 20 Hz holds | machine busy |"
    echo "|---|---|---|---|---|---|---|---|---|---|---|---|---|"
    base_tick=
    for size in $(sed -n 's/^run prog=lobecast w=\([0-9]*\) h=\([0-9]*\) .*/\1x\2/p' "$S"); do
        load_raw "$S" "$size"
        cpu=${V[run.lobecast.cpu_s]} wall=${V[run.lobecast.wall_s]}
        p=("${V[run.lobecast.p1_ms]}" "${V[run.lobecast.p2_ms]}" "${V[run.lobecast.p3_ms]}" "${V[run.lobecast.p4_ms]}")
        tick=$(calc "\"%.2f\", 1000 * $cpu / 251")
        [[ -n $base_tick ]] || base_tick=$tick
        holds=$(printf '%s\n' "${p[@]}" | awk -v wall="$wall" '$1 > m { m = $1 } END {
            if (m <= 52.5 && wall <= 12.55 * 1.03) print "yes"; else printf "no: steps up to %.0f ms (%.1f Hz)", m, 1000 / m }')
        echo "| $size | ${V[run.lobecast.unit]} px | ${tick} ms | $(ms_tick "${V[run.baseline.cpu_s]}" 251) ms | $(ms_tick "${V[run.arcs.cpu_s]}" 251) ms | $(ratio2 "$cpu" "${V[run.arcs.cpu_s]}") | $(calc "\"%.2f×\", $tick / $base_tick") | $(calc "\"%.0f%%\", 100 * $cpu / $wall") | $(ms_tick "${V[run.lobecast.xvfb_s]}" 251) ms | ${wall} s ± ${V[run.lobecast.end_pm_s]} | ${p[0]}, ${p[1]}, ${p[2]}, ${p[3]} ms | ${holds} | $(calc "\"%.0f%%\", 100 * ${V[run.lobecast.machine_busy]}") |"
    done
    echo
    echo "Raw lines: \`probe-default.txt\`, \`probe-scaling.txt\` beside this file."
} >"$OUT/results.md"

cat "$OUT/results.md"
say "written to $OUT/results.md"
