#!/usr/bin/env bash
# Makes the Wine prefix named by WINEPREFIX ready for Vimo, once: a new
# prefix costs about 700 MB and half a minute, so the program and the GUI
# tests share one under build/. Safe to run again: a ready prefix returns at
# once.
#
# Direct3D is set to its GDI renderer: with the OpenGL one, Wine draws the
# DirectDraw primary surface over the whole client area, so the status bar
# below the picture is never seen.
set -euo pipefail

: "${WINEPREFIX:?WINEPREFIX names the prefix to make}"
export WINEPREFIX
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
export WINEDEBUG="${WINEDEBUG:--all}"
marker="${WINEPREFIX}/.vimo-prefix-ready"

if [ -f "${marker}" ]; then
    exit 0
fi
echo "wine-prefix: making ${WINEPREFIX} (once)"
mkdir -p "${WINEPREFIX}"
# No display is needed to make it.
DISPLAY= timeout 300 wineboot -i
DISPLAY= timeout 120 wine reg add 'HKCU\Software\Wine\Direct3D' /v renderer /t REG_SZ /d gdi /f >/dev/null
timeout 120 wineserver -w
touch "${marker}"
echo "wine-prefix: ready"
