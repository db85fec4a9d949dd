# Shared by run-quorvel.sh and screenshots.sh (sourced, not run): the Wine
# loader for a program, polling, a virtual display and a prefix set up for it.
# Wine always runs in a prefix of the build directory, never in ~/.wine.

# wine_for <program.exe> <tag>: sets wine and wineserver, and Wine's quiet settings.
wine_for() {
  log_tag=$2
  wine=$("$(dirname "${BASH_SOURCE[0]}")/wine-pick.sh" "$1")
  wineserver=$(dirname "$wine")/wineserver
  [ -x "$wineserver" ] || wineserver=$(command -v wineserver)
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="
}

# poll <seconds> <command...>: runs the command until it succeeds, for at most
# the given number of seconds.
poll() {
  local seconds=$1
  shift
  local deadline=$((SECONDS + seconds))
  until "$@"; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.1
  done
}

# start_xvfb: a virtual display on the first free display number; sets
# xvfb_pid and exports DISPLAY. The caller stops it (kill "$xvfb_pid").
start_xvfb() {
  local number=90
  while [ -e "/tmp/.X$number-lock" ] || [ -e "/tmp/.X11-unix/X$number" ]; do
    number=$((number + 1))
  done
  echo "$log_tag: virtual display Xvfb :$number (1280x1024)"
  Xvfb ":$number" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  if ! poll 15 test -S "/tmp/.X11-unix/X$number"; then
    echo "$log_tag: the virtual display did not start" >&2
    return 1
  fi
  export DISPLAY=:$number
}

# prepare_prefix: creates $WINEPREFIX once.
prepare_prefix() {
  mkdir -p "$WINEPREFIX"
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "$log_tag: preparing the Wine prefix $WINEPREFIX (once, takes a while)"
    "$wine" wineboot --init >/dev/null 2>&1
    "$wineserver" -w
  fi
}

# prepare_headless_prefix: prepare_prefix, then the settings for a display
# without window manager: Wine draws the window frames itself (Managed=N), and
# "Courier New", which the program's edit fields ask for, falls back to a
# fixed-pitch font. The caption's buttons need the Marlett font of fonts-wine.
prepare_headless_prefix() {
  prepare_prefix
  if ! grep -q '"Courier New"="DejaVu Sans Mono"' "$WINEPREFIX/user.reg"; then
    "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    "$wine" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'Courier New' \
      /d 'DejaVu Sans Mono' /f >/dev/null 2>&1
    "$wineserver" -w
  fi
  if [ -f /usr/share/wine/fonts/marlett.ttf ]; then
    local fonts=$WINEPREFIX/drive_c/windows/Fonts
    [ -f "$fonts/marlett.ttf" ] || cp /usr/share/wine/fonts/marlett.ttf "$fonts/"
  else
    echo "$log_tag: note: without fonts-wine the caption's buttons show as letters" >&2
  fi
}
