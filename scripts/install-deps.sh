#!/usr/bin/env bash
# Installs the Debian packages Quorvel needs to build and test, and only those
# that are missing. Safe to run again: a machine that has everything is left alone.
set -euo pipefail

# Host tools, the MinGW-w64 cross compiler for i686, Wine (32-bit) and a virtual display.
native_pkgs=(make cmake g++ clang libclang-rt-14-dev clang-format googletest libgtest-dev
             mingw-w64 g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix
             wine wine64 fonts-wine xvfb x11-apps imagemagick mawk xauth)
i386_pkgs=(wine32:i386)

missing=()
for p in "${native_pkgs[@]}" "${i386_pkgs[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all packages present"
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

echo "install-deps: missing packages: ${missing[*]}"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  echo "install-deps: enabling the i386 architecture (for wine32)"
  $SUDO dpkg --add-architecture i386
fi
echo "install-deps: apt-get update"
$SUDO apt-get update -q
echo "install-deps: apt-get install ${missing[*]}"
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
echo "install-deps: done"
