#!/usr/bin/env bash
# One probe session of make bench, run by tools/winerun on its private Xvfb and prefix copy:
# runs probe.exe (which drives the programs and reads their pixels) and passes its lines on,
# adding the CPU figures, which come from /proc here, outside Wine. At each "mark" line of the
# probe it reads the CPU counters of the program measured, the X server, the wineserver, the
# probe and the whole machine, and only then answers it. While a program runs, it also reads
# that program's CPU time in ns every 37 ms, which dates the end of a run: its last steps draw
# off the client, so the probe cannot see them.
# usage: tools/winerun ... -- bench/session.sh PROBE.EXE PROBE-ARGS...   (bench/run.sh does so)
set -euo pipefail

XVFB=${WINERUN_XVFB_PID:?bench/session.sh runs under tools/winerun}
HZ=$(getconf CLK_TCK)
WORK=$(mktemp -d)
SAMPLER=
trap '[[ -z $SAMPLER ]] || kill "$SAMPLER" 2>/dev/null; rm -rf "$WORK"' EXIT
mkfifo "$WORK/nap"
exec {NAP}<>"$WORK/nap" # nothing is written to it: reading it with a time-out is a sleep
fail() { echo "error what=\"$*\""; exit 1; }

# REPLY: the newest process of this run's prefix that pgrep finds with the pattern $1 (Wine
# names a program's process after its .exe file).
pid_of() {
    local pid
    REPLY=
    for pid in $(pgrep "$1"); do
        if grep -qzx "WINEPREFIX=$WINEPREFIX" "/proc/$pid/environ" 2>/dev/null; then REPLY=$pid; fi
    done
    [[ -n $REPLY ]] || fail "no process $1 of this prefix in /proc"
}

# REPLY: the user + system clock ticks of process $1 (fields 14 and 15 of /proc/PID/stat).
ticks() {
    local f
    read -ra f <"/proc/$1/stat"
    REPLY=$((f[13] + f[14]))
}

# SNAP[$1]: the time (µs) and the clock ticks of the program, the X server, the wineserver and
# the probe, then the machine's busy and total ticks.
declare -A SNAP=()
snapshot() {
    local t=${EPOCHREALTIME/./} counts=() pid cpu
    for pid in "$PID" "$XVFB" "$SERVER" "$PROBE"; do
        ticks "$pid"
        counts+=("$REPLY")
    done
    read -ra cpu </proc/stat # cpu user nice system idle iowait irq softirq steal
    local busy=$((cpu[1] + cpu[2] + cpu[3] + cpu[6] + cpu[7] + cpu[8]))
    SNAP[$1]="$t ${counts[*]} $busy $((busy + cpu[4] + cpu[5]))"
}

# Every 37 ms until stopped: the time (µs) and the program's threads' CPU time (ns), the first
# field of each /proc/PID/task/TID/schedstat.
sample() {
    local file ns sum
    while :; do
        sum=0
        for file in "/proc/$PID/task/"*/schedstat; do
            read -r ns _ 2>/dev/null <"$file" && sum=$((sum + ns))
        done
        echo "${EPOCHREALTIME/./} $sum"
        read -r -t 0.037 -u "$NAP" _ || :
    done
}

# The end of a run from the samples: an interval holds a running tick when the program used
# more than three times the median of the stopped second before Enter (about one tick of its
# timer; three intervals in four hold one); the end is the middle of the last such interval
# with two more in the 0.3 s before it, ± half that interval. Prints its time after Enter, the
# ±, and the seconds sampled since.
date_end() {
    awk -v enter="${SNAP[enter]%% *}" '
        { t[n] = ($1 - enter) / 1e6; c[n++] = $2 / 1e9 }
        END {
            for (i = 1; i < n && t[i] <= 0; ++i) {
                u = c[i] - c[i - 1]
                for (j = m++; j > 0 && s[j - 1] > u; --j) s[j] = s[j - 1]
                s[j] = u
            }
            level = m ? 3 * s[int(m / 2)] : 0
            if (level < 50e-6) level = 50e-6
            for (i = 1; i < n; ++i) run[i] = t[i - 1] >= 0 && c[i] - c[i - 1] > level
            for (i = n - 1; i > 0; --i) {
                if (!run[i]) continue
                before = 0
                for (j = i - 1; j > 0 && t[i] - t[j] <= 0.3; --j) before += run[j]
                if (before < 2) continue
                printf "%.4f %.4f %.3f\n", (t[i - 1] + t[i]) / 2, (t[i] - t[i - 1]) / 2, t[n - 1] - t[i]
                exit
            }
        }' "$WORK/samples"
}

# Waits until the end of the run, dated from the samples so far, lies 1.5 s back.
wait_for_end() {
    local quiet
    until read -r _ _ quiet < <(date_end) && awk -v q="$quiet" 'BEGIN { exit q < 1.5 }'; do
        ((${EPOCHREALTIME/./} - ${SNAP[enter]%% *} < 200000000)) || fail "the run did not end within 200 s"
        read -r -t 0.2 -u "$NAP" _ || :
    done
}

# What each process used from snapshot $1 to $2, as key=value pairs; for the program, less
# its stopped rate (from the idle phase) over the $3 seconds after its run's end.
used() {
    awk -v a="${SNAP[$1]}" -v b="${SNAP[$2]}" -v i="${SNAP[idle]}" -v j="${SNAP[idle-end]}" \
        -v tail="$3" -v hz="$HZ" 'BEGIN {
        split(a, A); split(b, B); split(i, I); split(j, J)
        rate = (J[2] - I[2]) / hz / ((J[1] - I[1]) / 1e6)
        cpu = (B[2] - A[2]) / hz - rate * tail
        busy = B[7] > A[7] ? (B[6] - A[6]) / (B[7] - A[7]) : 0
        printf " window_s=%.3f cpu_s=%.3f xvfb_s=%.3f server_s=%.3f probe_s=%.3f machine_busy=%.3f",
            (B[1] - A[1]) / 1e6, (cpu > 0 ? cpu : 0), (B[3] - A[3]) / hz, (B[4] - A[4]) / hz,
            (B[5] - A[5]) / hz, busy }'
}

WINE=$(wine --version) || fail "wine --version failed"
WINE=${WINE#wine-}
coproc PROBE_IO { exec wine "$@"; }
exec {FROM}<&"${PROBE_IO[0]}" {TO}>&"${PROBE_IO[1]}"
PROBE_JOB=$PROBE_IO_PID
PID='' SERVER='' PROBE='' WALL='' TAIL='' LOBECAST_RUN='' # the bare baseline is measured over Lobecast's run
while IFS= read -r line <&"$FROM"; do
    line=${line%$'\r'}
    case $line in
    "env "*)
        pid_of '^probe\.exe$'
        PROBE=$REPLY
        pid_of '^wineserver'
        SERVER=$REPLY
        echo "$line wine=${WINE%% *} cpus=$(nproc) xvfb_pid=$XVFB server_pid=$SERVER"
        ;;
    "mark "*)
        read -r _ phase prog <<<"$line"
        case $phase in
        ready)
            pid_of "^${prog#prog=}\.exe\$"
            PID=$REPLY
            sample >"$WORK/samples" &
            SAMPLER=$!
            ;;
        wait-end)
            wait_for_end
            snapshot end
            ;;
        *) snapshot "$phase" ;;
        esac
        if [[ $phase == end || $phase == wait-end ]]; then
            kill "$SAMPLER"
            wait "$SAMPLER" || :
            SAMPLER=
        fi
        echo ok >&"$TO"
        ;;
    "idle "*) echo "$line$(used idle idle-end 0)" ;;
    "run prog=baseline "*) read -r WALL TAIL <<<"$LOBECAST_RUN" && echo "$line wall_s=$WALL$(used enter end "$TAIL")" ;;
    "run "*)
        read -r WALL pm _ < <(date_end) || fail "no end of the run in the CPU samples"
        TAIL=$(awk -v w="$WALL" -v a="${SNAP[enter]%% *}" -v b="${SNAP[end]%% *}" 'BEGIN { printf "%.3f", (b - a) / 1e6 - w }')
        echo "$line wall_s=$WALL end_pm_s=$pm tail_s=$TAIL$(used enter end "$TAIL")"
        [[ $line != "run prog=lobecast "* ]] || LOBECAST_RUN="$WALL $TAIL"
        ;;
    *) echo "$line" ;;
    esac
done
wait "$PROBE_JOB"
