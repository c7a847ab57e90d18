#!/usr/bin/env bash
# Real keyboard input through X: Return, F2, digits and Alt+F4 typed with xdotool reach the
# program, and the acceptance driver's probe commands judge what they did to the picture.
# Two ways to run it:
# - inside Wine's virtual desktop, where Wine moves the keyboard focus itself:
#     tools/winerun --desktop 1200x900 -- tests/e2e/real_keys.sh LOBECAST_EXE LOBECAST_E2E_EXE
# - as on a user's desktop, with the program's windows managed and framed by a window manager,
#   which also maximises the window and closes it (Alt+F4):
#     tools/winerun --window-manager openbox -- tests/e2e/real_keys.sh --window-manager \
#       LOBECAST_EXE LOBECAST_E2E_EXE
set -uo pipefail
me=real_keys
# shellcheck source=../../tools/lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/../../tools/lib.sh"

wm=0
if [[ ${1:-} == --window-manager ]]; then
  wm=1
  shift
fi
exe=${1:?usage: real_keys.sh [--window-manager] LOBECAST_EXE LOBECAST_E2E_EXE}
driver=${2:?usage: real_keys.sh [--window-manager] LOBECAST_EXE LOBECAST_E2E_EXE}
work=$(mktemp -d "${TMPDIR:-/tmp}/lobecast-real-keys.XXXXXX") || exit 1
program=

cleanup() {
  if [[ -n $program ]] && kill -0 "$program" 2>/dev/null; then
    say "ending the program (pid $program)"
    kill "$program" 2>/dev/null
    wait "$program" 2>/dev/null
  fi
  rm -rf "$work"
}
trap cleanup EXIT

active_is() { [[ $(xdotool getactivewindow 2>/dev/null) == "$1" ]]; }
# The driver's probe commands attach to the running program and print what they measured.
probe() { wine "$driver" "$@"; }

# Prints the value after "$1 " on the driver's "paused ..." line.
field() { sed -n "s/^paused .*$1 \(-\{0,1\}[0-9]\{1,\}\).*/\1/p" <<<"$2"; }

# Gives X window $1 the keyboard: through the window manager where there is one.
focus() {
  if ((wm)); then
    xdotool windowactivate --sync "$1" && wait_for 10 active_is "$1"
  else
    xdotool windowfocus --sync "$1"
  fi
}

# Return starts a run, Return pauses it: prints the driver's "paused" line, checks the phase step.
run_and_pause() {
  local static=$1 step=$2 angle=${3:-} out rc
  say "key Return"
  xdotool key Return
  probe probe-running "$static" || fail "Return typed on the keyboard did not start the animation"
  say "key Return"
  xdotool key Return
  out=$(probe probe-paused "$static" ${angle:+"$angle"})
  rc=$?
  printf '%s\n' "$out"
  ((rc == 0)) || fail "the picture paused with Return is not right (see above)"
  [[ $(field phase-step "$out") == "$step" ]] ||
    fail "phase step $(field phase-step "$out") (expected $step)"
  PAUSED_STEP=$(sed -n 's/^paused step \([0-9]\{1,\}\) .*/\1/p' <<<"$out")
}

tools=(wine winepath xdotool)
((wm)) && tools+=(xprop wmctrl)
for tool in "${tools[@]}"; do
  command -v "$tool" >/dev/null || fail "$tool not found (run tools/deps.sh)"
done
[[ -f $exe && -f $driver ]] || fail "missing $exe or $driver"
static=$(winepath -w "$work/static.bmp" 2>/dev/null) || fail "winepath failed"

if ((wm)); then
  # The shared prefix has Managed=N, for private displays, under which the window manager would
  # not frame the windows: a run on a display with a window manager has it taken away.
  wine reg query 'HKCU\Software\Wine\X11 Driver' /v Managed >/dev/null 2>&1 &&
    fail "the prefix still has Wine's X11 driver setting Managed (unmanaged windows)"
  say "ok: the prefix lets the window manager manage Wine's windows"
fi

wine "$exe" &
program=$!
wait_for 30 has_windows 1 || fail "no window named Lobecast appeared within 30 s"
main=$(windows | head -n 1)
say "main window: X id $main"

if ((wm)); then
  hex=$(printf '0x%08x' "$main")
  wmctrl -l | grep -qi "^$hex " || fail "the window manager does not list the window $hex"
  extents=$(xprop -id "$main" _NET_FRAME_EXTENTS 2>/dev/null)
  read -r left right top bottom <<<"$(sed -n 's/.*= *\([0-9]*\), *\([0-9]*\), *\([0-9]*\), *\([0-9]*\).*/\1 \2 \3 \4/p' <<<"$extents")"
  ((${top:-0} > 0)) || fail "the window is not framed: $extents"
  say "ok: managed and framed by the window manager (frame left $left, right $right, top $top, bottom $bottom)"
fi
probe probe-static "$static" || fail "the start-up screen is not right"

focus "$main" || fail "xdotool could not give the window the keyboard"
((wm)) && say "ok: activated through the window manager"
run_and_pause "$static" 0

# Under the window manager the angle line is checked too.
angle=20 step=4 line=
((wm)) && angle=30 step=6 line=30
say "key F2"
xdotool key F2
wait_for 10 has_windows 2 || fail "F2 typed on the keyboard did not open the angle dialog"
dialog=$(windows | grep -vx "$main" | head -n 1)
say "dialog: X id $dialog"
if ((wm)); then
  wait_for 10 active_is "$dialog" || fail "the window manager did not make the dialog active"
  probe probe-dialog 0 || fail "the dialog does not have the keyboard in its edit box"
fi
say "keys ${angle:0:1} ${angle:1:1} Return"
xdotool key "${angle:0:1}" "${angle:1:1}" Return
wait_for 10 at_most_windows 1 || fail "Return typed in the dialog did not close it"
# The dialog's repaint of the main window is judged by the next probe, which waits for stillness.
if ((wm)); then
  wait_for 10 active_is "$main" || fail "the main window did not get the keyboard back"
fi
run_and_pause "$static" "$step" "$line"
say "ok: $angle typed on the keyboard tilted the wavefront (phase step $step, bottom element first)"

if ((wm)); then
  say "maximise through the window manager"
  wmctrl -i -r "$main" -b add,maximized_vert,maximized_horz || fail "wmctrl could not ask for a maximise"
  probe probe-resized "$static" "$PAUSED_STEP" "$step" ||
    fail "the maximised window does not show step $PAUSED_STEP's arcs alone at its new size"
  focus "$main" || fail "the window manager could not activate the maximised window"
fi

say "key alt+F4"
xdotool key alt+F4
wait_for 15 gone "$program" || fail "Alt+F4 did not close the program within 15 s"
wait "$program"
rc=$?
program=
((rc == 0)) || fail "the program exited with code $rc (expected 0)"
say "ok: the program closed with exit code 0"
say "PASS"
