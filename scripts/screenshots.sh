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

wine=$("$here/wine-pick.sh" "$exe")
wineserver=$(dirname "$wine")/wineserver
[ -x "$wineserver" ] || wineserver=$(command -v wineserver)
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPREFIX=$build/wineprefix-shots

# Polls a command until it succeeds, for at most the given number of seconds.
poll() {
  local seconds=$1
  shift
  local deadline=$((SECONDS + seconds))
  until "$@"; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.1
  done
}

number=90
while [ -e "/tmp/.X$number-lock" ] || [ -e "/tmp/.X11-unix/X$number" ]; do
  number=$((number + 1))
done
echo "screenshots: virtual display Xvfb :$number (1280x1024)"
Xvfb ":$number" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
qvshot_pid=""
work=$(mktemp -d)
cleanup() {
  if [ -n "$qvshot_pid" ] && kill -0 "$qvshot_pid" 2>/dev/null; then
    kill "$qvshot_pid" 2>/dev/null || true
  fi
  timeout 20 "$wineserver" -k 2>/dev/null || true
  kill "$xvfb_pid" 2>/dev/null || true
  wait "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
if ! poll 15 test -S "/tmp/.X11-unix/X$number"; then
  echo "screenshots: the virtual display did not start" >&2
  exit 1
fi
export DISPLAY=:$number

mkdir -p "$WINEPREFIX"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "screenshots: preparing the Wine prefix $WINEPREFIX (once, takes a while)"
  "$wine" wineboot --init >/dev/null 2>&1
  "$wineserver" -w
fi
# Wine settings for a display without window manager (once per prefix): Wine
# draws the window frames itself (Managed=N), and "Courier New", which the
# program's edit fields ask for, falls back to a fixed-pitch font.
if ! grep -q '"Courier New"="DejaVu Sans Mono"' "$WINEPREFIX/user.reg"; then
  "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  "$wine" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'Courier New' \
    /d 'DejaVu Sans Mono' /f >/dev/null 2>&1
  "$wineserver" -w
fi
# The caption's buttons are drawn with the Marlett font of fonts-wine.
if [ -f /usr/share/wine/fonts/marlett.ttf ]; then
  fonts=$WINEPREFIX/drive_c/windows/Fonts
  [ -f "$fonts/marlett.ttf" ] || cp /usr/share/wine/fonts/marlett.ttf "$fonts/"
else
  echo "screenshots: note: without fonts-wine the caption's buttons show as letters" >&2
fi

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
