#!/bin/sh
# The windows on a Wayland session: a headless weston compositor, Qt's
# wayland platform plugin, and the three windows shown at their designed
# sizes.
#   check-wayland.sh <speclore-show-windows>
# Skipped (exit 77) where weston is missing, except in CI (CI=true).
set -u
probe=$1

if ! command -v weston >/dev/null 2>&1; then
  echo "missing: weston (Debian package weston)"
  if [ "${CI:-}" = true ]; then
    echo "CI=true: a missing tool fails"
    exit 1
  fi
  exit 77
fi

runtime=$(mktemp -d)
chmod 700 "$runtime"
pids=""
finish() {
  for pid in $pids; do kill "$pid" 2>/dev/null; done
  rm -rf "$runtime"
}
trap finish EXIT

# Polls `command` up to ten seconds.
eventually() {
  tries=100
  while [ $tries -gt 0 ]; do
    if eval "$1" >/dev/null 2>&1; then return 0; fi
    sleep 0.1
    tries=$((tries - 1))
  done
  return 1
}

export XDG_RUNTIME_DIR="$runtime"
weston --backend=headless-backend.so --width=1280 --height=1024 --socket=speclore-test --idle-time=0 \
  --no-config --log="$runtime/weston.log" &
pids="$pids $!"
eventually 'test -S "$runtime/speclore-test"' || { echo "weston did not start"; cat "$runtime/weston.log"; exit 1; }

unset DISPLAY
QT_QPA_PLATFORM=wayland WAYLAND_DISPLAY=speclore-test "$probe" >"$runtime/windows" 2>"$runtime/probe.log" &
pids="$pids $!"
if ! eventually 'grep -q fItemName "$runtime/windows"'; then
  echo "the windows did not come up on weston"
  cat "$runtime/probe.log"
  exit 1
fi
cat "$runtime/windows"
failures=0
grep -qx "platform wayland" "$runtime/windows" || { echo "FAIL: not on Qt's wayland platform"; failures=1; }
# The designed client sizes at 15 twips per pixel.
for expected in "fMain .* 510x324" "fProcess .* 337x105" "fItemName .* 905x671"; do
  grep -q "^$expected\$" "$runtime/windows" || { echo "FAIL: no window matches '$expected'"; failures=1; }
done
[ $failures -eq 0 ] || exit 1
echo "weston: the three windows are shown"
