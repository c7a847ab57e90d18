#!/usr/bin/env bash
# What tools/winerun leaves behind when a run fails, and that it stays quiet when one passes:
# a program whose DLL is missing (Wine prints nothing of its own for that), a timeout, a command
# killed by a signal, and a passing scenario. Each must end with the right status, say it in
# words on stderr with Wine's error lines and the log's path, and keep that log.
# usage: winerun_test.sh LOBECAST_EXE DRIVER_EXE SCRATCH WINERUN [WINERUN-OPTIONS...]
set -uo pipefail
exe=$1 driver=$2 dir=$3
shift 3
winerun=("$@")
rm -rf "$dir" && mkdir -p "$dir" || exit 1
# These runs fail on purpose: their logs stay here, away from those of real failures.
export LOBECAST_WINERUN_LOGS=$dir/logs

# shellcheck source=../check.sh
source "$(dirname "${BASH_SOURCE[0]}")/../check.sh"

# The program with one import renamed (same length, so nothing else moves): Wine cannot start it.
LC_ALL=C sed 's/[Gg][Dd][Ii]32\.[Dd][Ll][Ll]/LBX32.dll/' "$exe" >"$dir/missing.exe"
cmp -s "$exe" "$dir/missing.exe" && { echo "FAIL: no GDI32.dll import to rename in $exe"; exit 1; }
echo 'kill -SEGV $$' >"$dir/segv.sh"

# what | winerun's options and command | exit | what stderr holds, ";" between the parts ("-":
# nothing at all)
while IFS='|' read -r what command rc parts; do
    read -ra words <<<"${command//@/$dir/}"
    "${winerun[@]}" "${words[@]/#DRIVER/$driver}" >"$dir/out" 2>"$dir/err"
    got=$?
    err=$(<"$dir/err")
    check "$what: exit" "$got" "$rc"
    if [[ $parts == - ]]; then
        check "$what: quiet" "$err" ""
        continue
    fi
    IFS=';' read -ra want <<<"$parts"
    for part in "${want[@]}"; do
        check_holds "$what: says '$part'" "$err" "$part"
    done
    # The log named on the last line exists, with the status in it.
    log=$(sed -n 's/^winerun: log: //p' <<<"$err")
    [[ -f $log ]] && grep -q "ended: exit status $rc\|ended: timed out" "$log" &&
        check "$what: log" ok ok || check "$what: log" "${log:-no log named}" "a log with its status"
done <<'EOF'
missing DLL|-- @missing.exe|53|FAILED after ;exit status 53: the Windows status 0xc0000135, a DLL not found;Wine's last error lines;err:module:import_dll Library LBX32.dll
timeout|--timeout 1 -- sleep 30|124|timed out after 1 s (exit status 124): sleep 30;no error lines from Wine
signal|-- sh @segv.sh|139|exit status 139: killed by SIGSEGV
passed|-- DRIVER model @none.exe|0|-
EOF

tally
