#!/usr/bin/env bash
# Installs what is missing, builds Vimo for Windows and starts it under Wine.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

"${ROOT}/scripts/setup.sh"
"${ROOT}/scripts/build.sh" windows

echo
echo "The portable core is built (build/windows), but the Windows program"
echo "itself, vimo.exe, is not there yet: there is nothing to start."
exit 0
