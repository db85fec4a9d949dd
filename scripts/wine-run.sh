#!/usr/bin/env bash
# Runs one Windows program under Wine in the build's own throwaway prefix
# (never the user's ~/.wine), on a virtual display when there is no display.
# Usage: wine-run.sh program.exe [args...]
set -u
here=$(cd "$(dirname "$0")" && pwd)
: "${QUORVEL_WINEPREFIX:?QUORVEL_WINEPREFIX must name the Wine prefix of the build}"
export WINEPREFIX="$QUORVEL_WINEPREFIX"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
wine=$("$here/wine-pick.sh" "$1") || exit 1

# Create the prefix once; concurrent tests wait for whoever creates it.
mkdir -p "$WINEPREFIX"
(
  flock 9
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    "$wine" wineboot --init >/dev/null 2>&1
    "$(dirname "$wine")/wineserver" -w 2>/dev/null || wineserver -w
  fi
) 9>"$WINEPREFIX.lock"

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$wine" "$@"
fi
exec "$wine" "$@"
