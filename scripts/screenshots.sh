#!/usr/bin/env bash
# Takes the README's screenshots under Wine on a virtual display:
# docs/screenshot-main.png (the main dialog after a run) and
# docs/screenshot-info.png (the program information dialog).
#
#   scripts/screenshots.sh <builddir>
#
# The build's qvshot.exe fills the dialogs with a realistic download list and
# tells this script where they stand; this script photographs them. Wine runs
# in a prefix of the build directory, never in ~/.wine.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/.." && pwd)
build=${1:?usage: screenshots.sh <builddir>}
build=$(cd "$build" && pwd)
exe=$build/src/ui/quorvel.exe
qvshot=$build/tests/e2e/qvshot.exe
for f in "$exe" "$qvshot"; do
  if [ ! -f "$f" ]; then
    echo "screenshots: $f not found; build it first" >&2
    exit 1
  fi
done

source "$here/wine-lib.sh"
wine_for "$exe" screenshots
export WINEPREFIX=$build/wineprefix-shots
xvfb_pid=""
qvshot_pid=""
work=$(mktemp -d)
cleanup() {
  if [ -n "$qvshot_pid" ] && kill -0 "$qvshot_pid" 2>/dev/null; then
    kill "$qvshot_pid" 2>/dev/null || true
  fi
  timeout 20 "$wineserver" -k 2>/dev/null || true
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT
start_xvfb
prepare_headless_prefix

"$wine" "$qvshot" "$exe" "$work" &
qvshot_pid=$!

# Photographs the rectangle that qvshot wrote to <name>.rect once the picture
# holds still (two equal captures in a row), then gives qvshot the go-ahead.
shoot() {
  local name=$1 out=$2
  if ! poll 120 test -f "$work/$name.rect"; then
    echo "screenshots: qvshot did not show the $name dialog" >&2
    exit 1
  fi
  local x y w h
  read -r x y w h <"$work/$name.rect"
  capture() {
    import -display "$DISPLAY" -window root -crop "${w}x${h}+${x}+${y}" +repage -strip \
      "png:$work/now.png" 2>/dev/null || return 1
    if [ -f "$work/last.png" ] && cmp -s "$work/now.png" "$work/last.png"; then
      return 0
    fi
    mv "$work/now.png" "$work/last.png"
    return 1
  }
  rm -f "$work/last.png"
  if ! poll 30 capture; then
    echo "screenshots: the $name dialog did not hold still" >&2
    exit 1
  fi
  mkdir -p "$(dirname "$out")"
  mv "$work/now.png" "$out"
  echo "screenshots: $out (${w}x${h})"
  touch "$work/$name.done"
}
shoot main "$repo/docs/screenshot-main.png"
shoot info "$repo/docs/screenshot-info.png"

if ! poll 30 bash -c "! kill -0 $qvshot_pid 2>/dev/null"; then
  echo "screenshots: qvshot did not end" >&2
  exit 1
fi
status=0
wait "$qvshot_pid" || status=$?
qvshot_pid=""
if [ "$status" -ne 0 ]; then
  echo "screenshots: qvshot failed ($status)" >&2
  exit 1
fi
