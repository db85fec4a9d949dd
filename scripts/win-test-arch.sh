#!/usr/bin/env bash
# Prints the Windows build whose programs this machine's Wine can start:
# "win32" (i686, the build that ships) where 32-bit Wine runs, else "win64".
if /usr/lib/wine/wine --version >/dev/null 2>&1; then echo win32; else echo win64; fi
