#!/usr/bin/env bash
# Scripted tour of the demo on a headless display: screenshots and an animated GIF.
# Runs inside tools/winerun (DISPLAY and WINEPREFIX set). Usage: demo-tour.sh EXE OUTDIR
set -euo pipefail
me=demo say_fd=2 wait_step=0.2
# shellcheck source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

exe=$1
out=$2
import=/usr/bin/import
convert=/usr/bin/convert
frames=$out/frames
rm -rf "$out"
mkdir -p "$frames"

# The window's area of the screen (the window sits at the top-left corner).
shot() { "$import" -window root -crop 1000x700+0+0 +repage "$1"; }

# A white pixel in the middle of the client area means the first paint is done.
painted() {
  local pixel
  pixel=$("$import" -window root -crop 1x1+600+400 -depth 8 txt:- 2>/dev/null | tail -n 1)
  [[ $pixel == *"#FFFFFF"* ]]
}

frame=0
record() {  # record SECONDS: GIF frames of the running animation
  local until=$((SECONDS + $1))
  while ((SECONDS < until)); do
    shot "$(printf '%s/%04d.png' "$frames" "$frame")"
    frame=$((frame + 1))
    sleep 0.1
  done
}

wine "$exe" &
program=$!
trap 'kill "$program" 2>/dev/null || true' EXIT

# A program that Wine could not start ends at once: say so and exit with its exit code, which
# winerun's report decodes (53: a DLL not found), rather than wait for a window that never comes.
shown_or_gone() { has_windows 1 || gone "$program"; }
wait_for 60 shown_or_gone || die "the Lobecast window did not appear within 60 s"
if ! has_windows 1; then
  status=0
  wait "$program" || status=$?
  trap - EXIT
  say "lobecast.exe ended with exit code $status before its window appeared"
  exit $((status == 0 ? 1 : status))
fi
main=$(windows | head -n 1)
wait_for 20 painted || die "the window was not painted within 20 s"
xdotool windowfocus --sync "$main" 2>/dev/null || true

shot "$out/01-start.png"
say "start: $out/01-start.png"

xdotool key Return
record 3
xdotool key Return
sleep 0.2
shot "$out/02-running-0-degrees.png"

xdotool key F2
wait_for 20 has_windows 2 || die "the angle dialog did not open within 20 s"
sleep 0.3
"$import" -window root "$out/03-dialog.png"
xdotool key 3 0 Return
wait_for 20 at_most_windows 1 || die "the angle dialog did not close within 20 s"
sleep 0.3
shot "$out/04-angle-30-degrees.png"

xdotool windowfocus --sync "$main" 2>/dev/null || true
xdotool key Return
record 4
xdotool key Return
sleep 0.2
shot "$out/05-running-30-degrees.png"

# Close through the window manager path, then collect the exit code.
xdotool key alt+F4
wait_for 20 at_most_windows 0 || die "the window did not close within 20 s"
status=0
wait "$program" || status=$?
trap - EXIT
((status == 0)) || die "lobecast.exe ended with exit code $status"

"$convert" -delay 10 -loop 0 "$frames"/*.png -resize 50% -layers Optimize "$out/demo.gif"
rm -rf "$frames"
for f in "$out"/*.png "$out"/demo.gif; do echo "$f"; done
