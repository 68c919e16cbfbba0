#!/bin/sh
# What a real window manager makes of the three windows, on a virtual X
# display (Xvfb) with openbox:
#   check-decorations.sh <speclore-show-windows>
# Openbox keeps minimise and close on every titled window whatever its hints
# say, and draws a maximise button it does not allow as a disabled one; so the
# check reads the actions openbox allows each window (_NET_WM_ALLOWED_ACTIONS)
# and what the windows do when minimised or closed anyway.
# Skipped (exit 77) where a tool is missing, except in CI (CI=true).
set -u
probe=$1

missing=""
for tool in Xvfb openbox xprop xdotool; do
  command -v "$tool" >/dev/null 2>&1 || missing="$missing $tool"
done
if [ -n "$missing" ]; then
  echo "missing:$missing (Debian packages xvfb openbox x11-utils xdotool)"
  if [ "${CI:-}" = true ]; then
    echo "CI=true: a missing tool fails"
    exit 1
  fi
  exit 77
fi

work=$(mktemp -d)
pids=""
finish() {
  for pid in $pids; do kill "$pid" 2>/dev/null; done
  rm -rf "$work"
}
trap finish EXIT

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# Polls `command` up to ten seconds (CI machines may be busy).
eventually() {
  tries=100
  while [ $tries -gt 0 ]; do
    if eval "$1" >/dev/null 2>&1; then return 0; fi
    sleep 0.1
    tries=$((tries - 1))
  done
  return 1
}

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
pids="$pids $!"
eventually 'test -s "$work/display"' || { echo "Xvfb did not start"; exit 1; }
DISPLAY=:$(cat "$work/display")
export DISPLAY
XDG_CONFIG_HOME=$work/config openbox --sm-disable >"$work/openbox.log" 2>&1 &
pids="$pids $!"
eventually 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"' || { echo "openbox did not start"; exit 1; }

QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR=$work "$probe" >"$work/windows" 2>"$work/probe.log" &
pids="$pids $!"
eventually 'grep -q fItemName "$work/windows"' || { echo "the windows did not come up"; cat "$work/probe.log"; exit 1; }
main=$(awk '$1 == "fMain" {print $2}' "$work/windows")
progress=$(awk '$1 == "fProcess" {print $2}' "$work/windows")
items=$(awk '$1 == "fItemName" {print $2}' "$work/windows")

allowed() { xprop -id "$1" _NET_WM_ALLOWED_ACTIONS; }
state() { xprop -id "$1" WM_STATE 2>/dev/null | sed -n 's/.*window state: //p'; }
for window in $main $progress $items; do
  eventually "allowed $window | grep -q _NET_WM_ACTION_MOVE" || fail "openbox never managed $window"
  actions=$(allowed "$window")
  case $actions in *MAXIMIZE*) fail "$window may be maximised: $actions" ;; esac
  case $actions in *ACTION_RESIZE*) fail "$window may be resized: $actions" ;; esac
  xprop -id "$window" _NET_WM_ICON | grep -q "CARDINAL" || fail "$window shows no icon"
done
case $(allowed "$main") in *MINIMIZE*CLOSE* | *CLOSE*MINIMIZE*) ;; *) fail "the main window lost minimise or close" ;; esac
xprop -id "$items" WM_TRANSIENT_FOR | grep -q "$(printf '%#x' "$main")" || fail "the item names dialog is not transient for the main window"

# Alt+F4 leaves the progress window alone; the item names dialog closes.
xdotool windowactivate --sync "$progress" key --clearmodifiers alt+F4
sleep 0.5
[ "$(state "$progress")" = Normal ] || fail "Alt+F4 took the progress window away"
xdotool windowactivate --sync "$items" key --clearmodifiers alt+F4
eventually '[ "$(state "$items")" != Normal ]' || fail "Alt+F4 did not close the item names dialog"

# Minimised anyway, the progress window comes back; the main window may be.
xdotool windowminimize "$progress"
sleep 0.5
eventually '[ "$(state "$progress")" = Normal ]' || fail "the progress window stayed minimised"
xdotool windowminimize "$main"
eventually '[ "$(state "$main")" = Iconic ]' || fail "the main window could not be minimised"

[ $failures -eq 0 ] || exit 1
echo "openbox: every window has the buttons and behaviour its design gives it"
