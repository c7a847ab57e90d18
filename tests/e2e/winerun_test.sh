#!/usr/bin/env bash
# The contract of tools/winerun, whichever language it is written in: exit statuses pass
# through, a failure says why on stderr and keeps its log, a passing run stays quiet, standard
# input reaches the command, TERM leaves nothing running, runs in a copy leave the shared
# prefix's registry alone, a left-over Wine server is ended first, --remove-prefix removes all.
# usage: winerun_test.sh LOBECAST_EXE DRIVER_EXE SCRATCH WINERUN [WINERUN-OPTIONS...]
set -uo pipefail
exe=$1 driver=$2 dir=$3
shift 3
winerun=("$@")
rm -rf "$dir" && mkdir -p "$dir" || exit 1
# These runs fail on purpose: their logs stay here, away from those of real failures.
export LOBECAST_WINERUN_LOGS=$dir/logs

here=$(dirname "${BASH_SOURCE[0]}")
# shellcheck source=../check.sh
source "$here/../check.sh"
# shellcheck source=../../tools/lib.sh
source "$here/../../tools/lib.sh"

# The shared prefix of the build folder and arch that the runner was given.
build= arch=
for ((i = 1; i < ${#winerun[@]}; i++)); do
    case ${winerun[i - 1]} in --build) build=${winerun[i]} ;; --arch) arch=${winerun[i]} ;; esac
done
arch_dirs "$build" "$arch"

# The program with one import renamed (same length, so nothing else moves): Wine cannot start it.
LC_ALL=C sed 's/[Gg][Dd][Ii]32\.[Dd][Ll][Ll]/LBX32.dll/' "$exe" >"$dir/missing.exe"
cmp -s "$exe" "$dir/missing.exe" && { echo "FAIL: no GDI32.dll import to rename in $exe"; exit 1; }
echo 'kill -SEGV $$' >"$dir/segv.sh"
echo 'exit "$1"' >"$dir/exit.sh"
echo 'read -r line && [ "$line" = "the input" ] || { echo "read [$line]" >&2; exit 1; }' >"$dir/stdin.sh"
echo "the input" >"$dir/in"

# The processes whose environment names Wine prefix $1.
of_prefix() {
    local f
    for f in /proc/[0-9]*/environ; do
        grep -qzx "WINEPREFIX=$1" "$f" 2>/dev/null && { f=${f%/environ} && echo "${f#/proc/}"; }
    done
}
# Whether process $1 runs (a zombie does not: nothing here may reap an orphan).
alive() { grep -qs '^State:[[:space:]]*[^Z[:space:]]' "/proc/$1/status"; }
# Runs winerun with the given options and command, stdout and stderr kept in $dir.
run() { "${winerun[@]}" --timeout 15 "$@" <"$dir/in" >"$dir/out" 2>"$dir/err"; }

# what | winerun's options and command | exit | what stderr holds, ";" between the parts (a part
# starting with "!" must be absent; "-": nothing at all). @ is the scratch folder.
while IFS='|' read -r what command rc parts; do
    read -ra words <<<"$command"
    words=("${words[@]//@/$dir/}")
    run "${words[@]/#DRIVER/$driver}"
    got=$?
    err=$(<"$dir/err")
    check "$what: exit" "$got" "$rc"
    if [[ $parts == - ]]; then
        check "$what: quiet" "$err" ""
        continue
    fi
    IFS=';' read -ra want <<<"$parts"
    for part in "${want[@]}"; do
        if [[ $part == !* ]]; then
            [[ $err != *"${part#!}"* ]] && check "$what: lacks '${part#!}'" ok ok ||
                check "$what: lacks '${part#!}'" "$err" "no ${part#!}"
        else
            check_holds "$what: says '$part'" "$err" "$part"
        fi
    done
    # The log named on the last line exists, with the status in it.
    log=$(sed -n 's/^winerun: log: //p' <<<"$err")
    [[ -f $log ]] && grep -q "ended: exit status $rc\|ended: timed out" "$log" &&
        check "$what: log" ok ok || check "$what: log" "${log:-no log named}" "a log with its status"
done <<'EOF'
missing DLL|-- @missing.exe|53|FAILED after ;exit status 53: the Windows status 0xc0000135, a DLL not found;Wine's last error lines;err:module:import_dll Library LBX32.dll
timeout|--timeout 1 -- sleep 30|124|timed out after 1 s (exit status 124): sleep 30;no error lines from Wine
own 124|-- sh @exit.sh 124|124|FAILED after ;exit status 124: sh ;!timed out
own status|-- cmd.exe /c exit 7|7|FAILED after ;exit status 7: wine cmd.exe /c exit 7
signal|-- sh @segv.sh|139|exit status 139: killed by SIGSEGV
standard input|-- sh @stdin.sh|0|-
passed|-- DRIVER model @none.exe|0|-
EOF

# Runs in a copy, and runs with settings, leave the shared prefix's registry as it was.
hives=$(cd "$prefix" && sha256sum ./*.reg)
for how in --isolated --cleartype; do
    run "$how" -- wine reg add 'HKCU\Software\Lobecast' /v test /d "$how" /f
    check "$how: exit" $? 0
done
check "the shared prefix's registry files are unchanged" "$(cd "$prefix" && sha256sum ./*.reg)" "$hives"

# TERM while a Windows program runs: winerun ends within seconds, says so, and leaves no
# process of the prefix (the program, its wineserver) and not its own Xvfb.
"${winerun[@]}" --timeout 30 -- "$exe" <"$dir/in" >"$dir/out" 2>"$dir/err" &
pid=$!
for ((i = 0; i < 300; i++)); do
    for p in $(of_prefix "$prefix"); do [[ $(cat "/proc/$p/comm" 2>/dev/null) == lobecast.exe ]] && break 2; done
    sleep 0.1
done
check "TERM: the program started" "$((i < 300))" 1
t0=${EPOCHREALTIME/./}
kill -TERM "$pid"
wait "$pid"
check "TERM: exit" $? 143
# Well under the 10 s that the prefix's server is given to end by itself: the program was ended.
check "TERM: ended within 6 s" "$((${EPOCHREALTIME/./} - t0 <= 6000000))" 1
check_holds "TERM: says so" "$(<"$dir/err")" "winerun: stopped by SIGTERM after "
check "TERM: no process of the prefix left" "$(of_prefix "$prefix")" ""
log=$(sed -n 's/^winerun: log: //p' "$dir/err")
xvfb=$(sed -n 's/.*Xvfb .* (pid \([0-9]*\);.*/\1/p' "$log" 2>/dev/null)
check "TERM: its Xvfb had started" "${xvfb:+yes}" yes
check "TERM: its Xvfb is gone" "$(alive "${xvfb:-0}" && echo running)" ""

# A Wine server of the prefix left running (here one that never ends by itself, in a copy of
# the prefix with a server folder of its own) is ended before the command starts.
copy=$dir/build/${prefix##*/}
mkdir -p "$dir/build" && cp -a "$prefix" "$copy" && rm -f "$copy/wineserver" || exit 1
server=$(WINEPREFIX=$copy sh -c 'wineserver -f -p >/dev/null 2>&1 & echo $!')
for ((i = 0; i < 20; i++)); do
    WINEPREFIX=$copy timeout 1 wineserver -w
    (($? == 124)) && break
done
check "left-over server: it answers" "$((i < 20))" 1
echo "! grep -qs '^State:[[:space:]]*[^Z[:space:]]' /proc/$server/status" >"$dir/no-server.sh"
run --build "$dir/build" -- sh "$dir/no-server.sh"
check "left-over server: ended before the command" $? 0
check "left-over server: gone" "$(alive "$server" && echo running)" ""
kill "$server" 2>/dev/null # should the runner have left it
# Its folder, as the run's log names it, goes with --remove-prefix.
log=$(grep -l no-server.sh "$dir/logs/passed/"* | tail -n 1)
folder=$(sed -n 's/.*; its folder \(.*\) \(exists\|is new\).*/\1/p' "$log")
check "remove: the server folder exists" "$([[ -n $folder && -d $folder ]] && echo yes)" yes
run --build "$dir/build" --remove-prefix
check "remove: exit" $? 0
check "remove: prefix and server folder gone" "$(ls -d "$copy" "$folder" 2>/dev/null)" ""

tally
