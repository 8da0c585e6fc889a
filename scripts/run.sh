#!/usr/bin/env bash
# Installs what is missing, builds Vimo for Windows and starts vimo.exe under
# Wine on your X display. Everything it makes stays under build/: the Wine
# prefix (build/windows/wineprefix, made once) and the start folder
# (build/run), where vimo.ini is read at start and written at exit.
# Arguments are passed to wine after the program (vimo.exe ignores them).
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
PREFIX="${ROOT}/build/windows/wineprefix"
START_FOLDER="${ROOT}/build/run"
EXE="${ROOT}/build/windows/src/frontend/vimo.exe"

no_display() {
    echo "run: $1" >&2
    echo "run: vimo.exe needs an X display. Start it from a desktop session, or" >&2
    echo "run: give it a virtual one:  xvfb-run -a -s '-screen 0 1024x768x24' scripts/run.sh" >&2
    exit 2
}

"${ROOT}/scripts/setup.sh"
"${ROOT}/scripts/build.sh" windows

if [ -z "${DISPLAY:-}" ]; then
    no_display "DISPLAY is not set: there is no display to show the window on."
fi
if command -v xdpyinfo >/dev/null 2>&1 && ! xdpyinfo >/dev/null 2>&1; then
    no_display "the display '${DISPLAY}' cannot be reached."
fi

export WINEPREFIX="${PREFIX}"
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEDEBUG="${WINEDEBUG:--all}"
"${ROOT}/scripts/wine-prefix.sh"

mkdir -p "${START_FOLDER}"
cd "${START_FOLDER}"
echo "run: starting vimo.exe in build/run (vimo.ini is kept there)"
exec wine "${EXE}" "$@"
