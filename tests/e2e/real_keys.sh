#!/usr/bin/env bash
# Real keyboard input through X: Return, F2, digits and Alt+F4 typed with xdotool reach the
# program, and the acceptance driver's probe commands judge what they did to the picture.
# Runs inside Wine's virtual desktop, where Wine moves the keyboard focus itself:
#   tools/winerun --desktop 1200x900 -- tests/e2e/real_keys.sh LOBECAST_EXE LOBECAST_E2E_EXE
set -uo pipefail

exe=${1:?usage: real_keys.sh LOBECAST_EXE LOBECAST_E2E_EXE}
driver=${2:?usage: real_keys.sh LOBECAST_EXE LOBECAST_E2E_EXE}
work=$(mktemp -d "${TMPDIR:-/tmp}/lobecast-real-keys.XXXXXX") || exit 1
program=

say() { printf 'real_keys: %s\n' "$*"; }
fail() {
  say "FAIL: $*"
  exit 1
}
cleanup() {
  if [[ -n $program ]] && kill -0 "$program" 2>/dev/null; then
    say "ending the program (pid $program)"
    kill "$program" 2>/dev/null
    wait "$program" 2>/dev/null
  fi
  rm -rf "$work"
}
trap cleanup EXIT

# Polls a command every 0.1 s until it succeeds, for at most $1 seconds.
wait_for() {
  local deadline=$((SECONDS + $1))
  shift
  until "$@"; do
    ((SECONDS < deadline)) || return 1
    sleep 0.1
  done
}

windows() { xdotool search --onlyvisible --name '^Lobecast$' 2>/dev/null || true; }
window_count() { windows | wc -l; }
has_windows() { (($(window_count) >= $1)); }
at_most_windows() { (($(window_count) <= $1)); }
program_gone() { ! kill -0 "$program" 2>/dev/null; }
# The driver's probe commands attach to the running program and print what they measured.
probe() { wine "$driver" "$@"; }

# Prints the value after "$1 " on the driver's "paused ..." line.
field() { sed -n "s/^paused .*$1 \(-\{0,1\}[0-9]\{1,\}\).*/\1/p" <<<"$2"; }

for tool in wine winepath xdotool; do
  command -v "$tool" >/dev/null || fail "$tool not found (run tools/deps.sh)"
done
[[ -f $exe && -f $driver ]] || fail "missing $exe or $driver"
static=$(winepath -w "$work/static.bmp" 2>/dev/null) || fail "winepath failed"

wine "$exe" &
program=$!
wait_for 30 has_windows 1 || fail "no window named Lobecast appeared within 30 s"
main=$(windows | head -n 1)
say "main window: X id $main"
probe probe-static "$static" || fail "the start-up screen is not right"

xdotool windowfocus --sync "$main" || fail "xdotool could not focus the window"
say "key Return"
xdotool key Return
probe probe-running "$static" || fail "Return typed on the keyboard did not start the animation"
say "key Return"
xdotool key Return
out=$(probe probe-paused "$static")
rc=$?
printf '%s\n' "$out"
((rc == 0)) || fail "Return typed on the keyboard did not pause the animation on a clean step"
step=$(field phase-step "$out")
[[ $step == 0 ]] || fail "phase step $step before any angle was entered (expected 0)"

say "key F2"
xdotool key F2
wait_for 10 has_windows 2 || fail "F2 typed on the keyboard did not open the angle dialog"
dialog=$(windows | grep -vx "$main" | head -n 1)
say "dialog: X id $dialog; keys 2 0 Return"
xdotool key 2 0 Return
wait_for 10 at_most_windows 1 || fail "Return typed in the dialog did not close it"
# The dialog's repaint of the main window is judged by the next probe, which waits for stillness.

say "key Return"
xdotool key Return
probe probe-running "$static" || fail "Return did not start a run after the dialog"
say "key Return"
xdotool key Return
out=$(probe probe-paused "$static")
rc=$?
printf '%s\n' "$out"
((rc == 0)) || fail "the run after the dialog did not pause on a clean step"
step=$(field phase-step "$out")
[[ $step == 4 ]] || fail "phase step $step after typing 20 (expected 4: the tilt of 20 degrees)"
say "ok: 20 typed on the keyboard tilted the wavefront (phase step 4, bottom element first)"

say "key alt+F4"
xdotool key alt+F4
wait_for 15 program_gone || fail "Alt+F4 did not close the program within 15 s"
wait "$program"
rc=$?
program=
((rc == 0)) || fail "the program exited with code $rc (expected 0)"
say "ok: the program closed with exit code 0"
say "PASS"
