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

# Wine sees the whole file system as drive Z:.
winpath() { local p=${1//\//\\}; printf 'Z:%s' "$p"; }

load() {
    local top
    top=$(top -bn1 -w 200 | awk 'NR > 7 && $9 + 0 >= 5 { printf "%s %s%%, ", $12, $9 }' | sed 's/, $//')
    [[ -n $top ]] && top="processes above 5 % CPU: $top" || top="no process above 5 % CPU"
    printf '%s; %s' "$(uptime | sed 's/.*load average/load average/')" "$top"
}

LOAD_BEFORE=$(load)
say "measuring $BUILD_NAME ($BUILD/$ARCH)"
say "machine before: $LOAD_BEFORE"

# One probe session on a private Xvfb of the given screen size, in a private copy of the prefix
# (so that other Wine runs on this machine neither wait for it nor disturb it).
probe() {
    local screen=$1 out=$2 limit=$3
    shift 3
    say "probe on a ${screen} screen: $*"
    if ! "$ROOT/tools/winerun" --build "$BUILD" --arch "$ARCH" --isolated \
        --screen "$screen" --timeout "$limit" -- "$PROBE" --lobecast "$(winpath "$LOBECAST")" \
        --baseline "$(winpath "$BASELINE")" --arcs "$(winpath "$ARCS")" "$@" >"$out"; then
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

# field FILE PREFIX KEY: KEY's value on the first line starting with PREFIX.
field() {
    awk -v p="$2" -v k="$3" 'index($0, p) == 1 {
        for (i = 1; i <= NF; ++i) if (index($i, k "=") == 1) { print substr($i, length(k) + 2); exit }
    }' "$1"
}
calc() { awk "BEGIN { printf $1 }"; }

D=$OUT/probe-default.txt
S=$OUT/probe-scaling.txt
WINE=$(field "$D" env wine)

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
read -r SB_MED SB_MIN SB_MAX SB_N SB_PAINT <<<"$(stats baseline)"
read -r SA_MED SA_MIN SA_MAX SA_N SA_PAINT <<<"$(stats arcs)"

RL="run prog=lobecast"
RB="run prog=baseline"
RA="run prog=arcs"
W0=$(field "$D" "$RL" w)
H0=$(field "$D" "$RL" h)
L_CPU=$(field "$D" "$RL" cpu_s)
B_CPU=$(field "$D" "$RB" cpu_s)
A_CPU=$(field "$D" "$RA" cpu_s)
A_WALL=$(field "$D" "$RA" wall_s)
A_PM=$(field "$D" "$RA" end_pm_s)
A_PERIOD=$(field "$D" "$RA" period_ms)
A_SEEN=$(field "$D" "$RA" seen)
A_X=$(field "$D" "$RA" xvfb_s)
A_SRV=$(field "$D" "$RA" server_s)
A_BUSY=$(field "$D" "$RA" machine_busy)
AI_CPU=$(field "$D" "idle prog=arcs" cpu_s)
L_WALL=$(field "$D" "$RL" wall_s)
L_PM=$(field "$D" "$RL" end_pm_s)
L_EXTRAP=$(field "$D" "$RL" wall_extrap_s)
L_PERIOD=$(field "$D" "$RL" period_ms)
L_SEEN=$(field "$D" "$RL" seen)
L_X=$(field "$D" "$RL" xvfb_s)
B_X=$(field "$D" "$RB" xvfb_s)
L_SRV=$(field "$D" "$RL" server_s)
B_SRV=$(field "$D" "$RB" server_s)
LI_CPU=$(field "$D" "idle prog=lobecast" cpu_s)
BI_CPU=$(field "$D" "idle prog=baseline" cpu_s)
LI_WIN=$(field "$D" "idle prog=lobecast" window_s)
BUSY=$(field "$D" "$RL" machine_busy)
L_WIN=$(field "$D" "$RL" window_s)
L_PROBE=$(field "$D" "$RL" probe_s)
CPUS=$(field "$D" env cpus)

# A ratio that says so when the baseline used less than the /proc clock tick can show.
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (a <= 0.03 && b <= 0.03) printf "alike at the 10 ms clock-tick resolution"
    else if (b < 0.005) printf "> %.0f× (baseline under 0.01 s)", a / 0.01; else printf "%.0f×", a / b }'; }
# The same to two decimals, for programs of like cost.
ratio2() { awk -v a="$1" -v b="$2" 'BEGIN { if (b <= 0) printf "n/a"; else printf "%.2f×", a / b }'; }
ms_tick() { calc "\"%.2f\", 1000 * $1 / $2"; }

SIZE_L=$(stat -c %s "$LOBECAST")
SIZE_B=$(stat -c %s "$BASELINE")
SIZE_A=$(stat -c %s "$ARCS")

OTHERS=$(calc "\"%.2f\", $BUSY * $CPUS - ($L_CPU + $L_X + $L_SRV + $L_PROBE) / $L_WIN")

{
    echo "# Lobecast benchmarks"
    echo
    echo "$(date -u '+%Y-%m-%d %H:%M UTC'), $(uname -m), $CPUS CPUs, Wine $WINE on Xvfb without a window manager."
    echo "Measured: $BUILD_NAME (\`$ARCH/\`: lobecast.exe, bench/baseline.exe, bench/arcs.exe, bench/probe.exe)."
    echo "Machine before: $LOAD_BEFORE. After: $LOAD_AFTER."
    echo "During the ${W0}x${H0} run of Lobecast the machine was $(calc "\"%.0f\", 100 * $BUSY")% busy;" \
        "other work than the measured processes took about $OTHERS of the $CPUS CPUs" \
        "(during the arc-calls run: $(calc "\"%.0f\", 100 * $A_BUSY")% busy)."
    echo
    echo "Each figure is measured beside two baselines in the same run, built with the same flags:"
    echo "\`bench/baseline.cpp\`, a bare window of the same class style, size and background with the"
    echo "same 50 ms timer; and \`bench/arcs.cpp\`, the same window making the same arc calls a tick"
    echo "as Lobecast at its default angle (GetDC, SetROP2, the 2-pixel red pen, the erasing and the"
    echo "drawing Arc calls, ReleaseDC) and nothing else, started and stopped by the same keys and"
    echo "driven and sampled by the probe exactly like Lobecast. CPU times come from /proc/PID/stat"
    echo "(10 ms ticks)."
    echo
    echo "| figure | Lobecast | bare window | arc calls alone | Lobecast vs bare window | Lobecast vs arc calls |"
    echo "|---|---|---|---|---|---|"
    echo "| start-up, CreateProcess to the static screen (median of $SL_N; min–max) | ${SL_MED} s (${SL_MIN}–${SL_MAX}; visible to drawn ${SL_PAINT} s) | ${SB_MED} s (${SB_MIN}–${SB_MAX}; visible to drawn ${SB_PAINT} s) | ${SA_MED} s (${SA_MIN}–${SA_MAX}; visible to drawn ${SA_PAINT} s) | $(calc "\"%+.3f s\", $SL_MED - $SB_MED") | $(calc "\"%+.3f s\", $SL_MED - $SA_MED") |"
    echo "| CPU of a whole 251-step run, ${W0}x${H0} | ${L_CPU} s, $(ms_tick "$L_CPU" 251) ms a tick | ${B_CPU} s, $(ms_tick "$B_CPU" 251) ms a tick | ${A_CPU} s, $(ms_tick "$A_CPU" 251) ms a tick | $(ratio "$L_CPU" "$B_CPU") | $(ratio2 "$L_CPU" "$A_CPU") |"
    echo "| CPU while stopped, $(calc "\"%.0f\", $LI_WIN") s ($(calc "\"%.0f\", $LI_WIN / 0.05") ticks) | ${LI_CPU} s | ${BI_CPU} s | ${AI_CPU} s | $(ratio "$LI_CPU" "$BI_CPU") | $(ratio "$LI_CPU" "$AI_CPU") |"
    echo "| X server and wineserver CPU during the run | ${L_X} s + ${L_SRV} s | ${B_X} s + ${B_SRV} s | ${A_X} s + ${A_SRV} s | | $(ratio2 "$(calc "\"%.3f\", $L_X + $L_SRV")" "$(calc "\"%.3f\", $A_X + $A_SRV")") |"
    echo "| cadence: wall time of the 251 steps, ${W0}x${H0} | ${L_WALL} s ± ${L_PM} (steps ${L_SEEN} seen: ${L_PERIOD} ms a step; from the last one seen: ${L_EXTRAP} s) | 12.550 s (251 × 50 ms) | ${A_WALL} s ± ${A_PM} (steps ${A_SEEN} seen: ${A_PERIOD} ms a step) | $(calc "\"%.3f×\", $L_WALL / 12.55") | $(calc "\"%.3f×\", $L_WALL / $A_WALL") |"
    echo "| size of the executable | ${SIZE_L} bytes | ${SIZE_B} bytes | ${SIZE_A} bytes | $(calc "\"%+d bytes (%.2f×)\", $SIZE_L - $SIZE_B, $SIZE_L / $SIZE_B") | $(calc "\"%+d bytes (%.2f×)\", $SIZE_L - $SIZE_A, $SIZE_L / $SIZE_A") |"
    echo
    echo "## Scaling with the client size ($BUILD_NAME, Wine ${WINE}, a 3840x2160 screen, the window resized before the run)"
    echo
    echo "| client | radius step | CPU per tick | bare window per tick | arc calls alone per tick | Lobecast vs arc calls | CPU vs 992x673 | share of a core | X server per tick | wall of 251 steps | step period: 1–50, 50–100, 100–150, 150–end seen | 20 Hz holds | machine busy |"
    echo "|---|---|---|---|---|---|---|---|---|---|---|---|---|"
    base_tick=
    while read -r line; do
        w=$(awk '{ for (i = 1; i <= NF; ++i) if ($i ~ /^w=/) print substr($i, 3) }' <<<"$line")
        h=$(awk '{ for (i = 1; i <= NF; ++i) if ($i ~ /^h=/) print substr($i, 3) }' <<<"$line")
        get() { awk -v k="$1" '{ for (i = 1; i <= NF; ++i) if (index($i, k "=") == 1) print substr($i, length(k) + 2) }' <<<"$line"; }
        cpu=$(get cpu_s) wall=$(get wall_s) pm=$(get end_pm_s) xs=$(get xvfb_s) unit=$(get unit)
        bcpu=$(awk -v w="w=$w" -v h="h=$h" 'index($0, "run prog=baseline ") == 1 && index($0, " " w " ") && index($0, " " h " ") {
            for (i = 1; i <= NF; ++i) if ($i ~ /^cpu_s=/) print substr($i, 7) }' "$S")
        acpu=$(awk -v w="w=$w" -v h="h=$h" 'index($0, "run prog=arcs ") == 1 && index($0, " " w " ") && index($0, " " h " ") {
            for (i = 1; i <= NF; ++i) if ($i ~ /^cpu_s=/) print substr($i, 7) }' "$S")
        tick=$(calc "\"%.2f\", 1000 * $cpu / 251")
        [[ -n $base_tick ]] || base_tick=$tick
        holds=$(awk -v p1="$(get p1_ms)" -v p2="$(get p2_ms)" -v p3="$(get p3_ms)" -v p4="$(get p4_ms)" -v wall="$wall" 'BEGIN {
            m = p1; if (p2 > m) m = p2; if (p3 > m) m = p3; if (p4 > m) m = p4
            if (m <= 52.5 && wall <= 12.55 * 1.03) print "yes"; else printf "no: steps up to %.0f ms (%.1f Hz)", m, 1000 / m }')
        echo "| ${w}x${h} | ${unit} px | ${tick} ms | $(ms_tick "${bcpu:-0}" 251) ms | $(ms_tick "${acpu:-0}" 251) ms | $(ratio2 "$cpu" "${acpu:-0}") | $(calc "\"%.2f×\", $tick / $base_tick") | $(calc "\"%.0f%%\", 100 * $cpu / $wall") | $(ms_tick "$xs" 251) ms | ${wall} s ± ${pm} | $(get p1_ms), $(get p2_ms), $(get p3_ms), $(get p4_ms) ms | ${holds} | $(calc "\"%.0f%%\", 100 * $(get machine_busy)") |"
    done < <(grep '^run prog=lobecast ' "$S")
    echo
    echo "## How the figures are taken"
    echo
    echo "- \`bench/probe.cpp\` (a Win32 console program, run under Wine by \`tools/winerun\` on a private"
    echo "  Xvfb) starts each program with CreateProcess, finds its window, posts keys (F1, Enter) and"
    echo "  reads the client's pixels with GetDC + BitBlt into a DIB section."
    echo "- Start-up: from CreateProcess until Lobecast's element bar is black at (W/5, H/2) and its red"
    echo "  help text shows in the bottom-left band; for the baseline until the same places are all"
    echo "  white (its first paint; the arc-calls baseline alike). Polled continuously with the same reads for both (a poll of a"
    echo "  visible window takes about 5 ms); one untimed start of each first, then alternately."
    echo "- CPU: under Wine 8, GetProcessTimes on another process returns the caller's own times, so the"
    echo "  probe reads /proc/PID/stat of the program's unix process (found by name and WINEPREFIX), of"
    echo "  Xvfb and of the wineserver. A run is measured from Enter after a reset to its end, less the"
    echo "  stopped program's rate over the tail; the baseline over a window of the same length, with"
    echo "  the same sampling going on. The arc-calls baseline is measured exactly like Lobecast: the"
    echo "  same reset, Enter, sampling, end of the run from its CPU counter and stopped tail."
    echo "- Cadence: at 0° the middle arc crosses its own row at x = W/5 + (W/200)·step, so every 37 ms"
    echo "  sample of that row tells the step on the screen, and the first sample showing a step dates it"
    echo "  (the constant delay to the screen cancels out of the periods). The arc leaves the row after"
    echo "  the steps shown as seen, and no arc touches the client after step 230, so the run's end is"
    echo "  dated by the program's CPU time in ns instead (the first field of each of its threads'"
    echo "  /proc/PID/task/TID/schedstat, summed, read at every sample): a tick of the run costs it"
    echo "  0.6 ms or more even with every arc off the client, a tick of the stopped program about a"
    echo "  tenth of that, too little for the 10 ms ticks of /proc/PID/stat to tell apart. An interval"
    echo "  between samples holds a running tick when the program used more than three times what a"
    echo "  stopped interval uses (the median over 1 s before Enter, about one tick of its timer); the"
    echo "  end is the middle of the last such interval with two more in the 0.3 s before it, and ± is"
    echo "  half that interval. The run is over once 1.5 s have passed without one. \"From the last one"
    echo "  seen\" adds the remaining steps at 50 ms each, as a cross-check; it tends to run late, by up"
    echo "  to a sampling period, as the last steps seen cost the program 7 to 20 ms each to draw, so"
    echo "  their first sight comes late."
    echo "- Raw lines: \`probe-default.txt\`, \`probe-scaling.txt\` beside this file."
} >"$OUT/results.md"

cat "$OUT/results.md"
say "written to $OUT/results.md"
