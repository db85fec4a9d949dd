#!/usr/bin/env bash
# Prints the Wine loader that can start the given Windows program: the 64-bit
# loader for x86_64 programs, the 32-bit one for i686 programs.
set -u
exe=${1:?usage: wine-pick.sh program.exe}
case "$(od -An -tx1 -j"$(( $(od -An -tu4 -j60 -N4 "$exe" | tr -d ' ') + 4 ))" -N2 "$exe" 2>/dev/null | tr -d ' ')" in
  6486) for w in /usr/lib/wine/wine64 /usr/bin/wine64; do [ -x "$w" ] && { echo "$w"; exit 0; }; done ;;
  4c01) for w in /usr/lib/wine/wine /usr/bin/wine; do [ -x "$w" ] && { echo "$w"; exit 0; }; done ;;
esac
command -v wine || { echo "wine-pick: no Wine loader for $exe" >&2; exit 1; }
