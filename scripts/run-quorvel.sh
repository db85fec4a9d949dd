#!/usr/bin/env bash
# Starts Quorvel under Wine from a build directory (make run does this).
#
#   scripts/run-quorvel.sh <builddir> [quorvel options...]
#
# With a display ($DISPLAY set) Quorvel runs on it, in the foreground, until
# you close it. Without one it runs on a virtual display (Xvfb): the script
# waits for the dialog, saves a screenshot of it next to the build directory
# (build/quorvel-screenshot.png for build/win64), prints its path, and ends
# Quorvel and the virtual display again.
#
# Wine runs in a prefix of the build directory, never in ~/.wine.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=${1:?usage: run-quorvel.sh <builddir> [quorvel options...]}
shift
build=$(cd "$build" && pwd)
exe=$build/src/ui/quorvel.exe
if [ ! -f "$exe" ]; then
  echo "run-quorvel: $exe not found; build it first (make build)" >&2
  exit 1
fi

source "$here/wine-lib.sh"
wine_for "$exe" run-quorvel

if [ -n "${DISPLAY:-}" ]; then
  export WINEPREFIX=$build/wineprefix-run
  prepare_prefix
  echo "run-quorvel: starting Quorvel on display $DISPLAY"
  exec "$wine" "$exe" "$@"
fi

echo "run-quorvel: no display (DISPLAY is not set), so Quorvel runs on a virtual display;"
echo "run-quorvel: a screenshot of its dialog will be saved"
xvfb_pid=""
quorvel_pid=""
shots=$(mktemp -d)
cleanup() {
  if [ -n "$quorvel_pid" ] && kill -0 "$quorvel_pid" 2>/dev/null; then
    kill "$quorvel_pid" 2>/dev/null || true
  fi
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
  rm -rf "$shots"
}
trap cleanup EXIT
start_xvfb

# A prefix of its own, set up for a display without window manager.
export WINEPREFIX=$build/wineprefix-headless
prepare_headless_prefix

"$wine" "$exe" "$@" &
quorvel_pid=$!

# The dialog is up once it can be captured and looks the same twice in a row
# with more than a few colours, i.e. it has been painted.
captured() {
  local colours
  xwd -display "$DISPLAY" -name Quorvel -silent >"$shots/now.xwd" 2>/dev/null &&
    convert "xwd:$shots/now.xwd" "png:$shots/now.png" 2>/dev/null &&
    colours=$(convert "$shots/now.png" -format %k info: 2>/dev/null) || return 1
  [ "${colours:-0}" -gt 16 ] || return 1
  if [ -f "$shots/last.png" ] && cmp -s "$shots/now.png" "$shots/last.png"; then
    return 0
  fi
  mv "$shots/now.png" "$shots/last.png"
  return 1
}
if ! poll 60 captured; then
  echo "run-quorvel: the Quorvel dialog did not appear" >&2
  exit 1
fi
screenshot=$(dirname "$build")/quorvel-screenshot.png
mv "$shots/now.png" "$screenshot"
echo "run-quorvel: Quorvel is up; screenshot saved to $screenshot"

# End Quorvel the way its close box does, then the virtual display.
"$wine" taskkill /im quorvel.exe >/dev/null 2>&1 || true
if ! poll 20 bash -c "! kill -0 $quorvel_pid 2>/dev/null"; then
  echo "run-quorvel: Quorvel did not end when asked; stopping it" >&2
  kill "$quorvel_pid" 2>/dev/null || true
fi
wait "$quorvel_pid" 2>/dev/null || true
timeout 20 "$wineserver" -w || true
echo "run-quorvel: Quorvel ended"
