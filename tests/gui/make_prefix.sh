#!/usr/bin/env bash
# The fixture of the GUI tests: the shared Wine prefix, made once.
set -euo pipefail
WINEPREFIX="${VIMO_WINEPREFIX:?}" exec "$(dirname "$0")/../../scripts/wine-prefix.sh"
