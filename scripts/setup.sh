#!/usr/bin/env bash
# Installs everything Vimo's build and tests need on Debian 12 (bookworm), and
# fetches the zlib sources the Windows cross build compiles minizip from.
# Safe to run again: when everything is there it only checks and returns.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
THIRD_PARTY="${ROOT}/build/third_party"

PACKAGES=(
    build-essential g++ cmake ninja-build pkg-config dpkg-dev
    googletest libgtest-dev libbenchmark-dev
    zlib1g-dev libminizip-dev libpng-dev
    binutils-m68k-linux-gnu z80asm
    mingw-w64
    clang libclang-rt-14-dev
    wine wine64 xvfb xauth
    xdotool imagemagick
)

say() { printf 'setup: %s\n' "$*"; }

# Runs a command as root: directly when we are root, else through sudo.
as_root() {
    if [ "$(id -u)" -eq 0 ]; then
        "$@"
    elif command -v sudo >/dev/null 2>&1; then
        sudo "$@"
    else
        say "need root (or sudo) to run: $*" >&2
        exit 1
    fi
}

export DEBIAN_FRONTEND=noninteractive
APT_GET=(env DEBIAN_FRONTEND=noninteractive apt-get -y -q -o Dpkg::Use-Pty=0)

is_installed() {
    [ "$(dpkg-query -W -f='${db:Status-Status}' "$1" 2>/dev/null || true)" = "installed" ]
}

apt_updated=0
apt_update() {
    if [ "$apt_updated" -eq 0 ]; then
        say "apt-get update"
        as_root "${APT_GET[@]}" update
        apt_updated=1
    fi
}

# ---- packages ---------------------------------------------------------------
missing=()
for package in "${PACKAGES[@]}"; do
    is_installed "$package" || missing+=("$package")
done
if [ "${#missing[@]}" -gt 0 ]; then
    say "installing: ${missing[*]}"
    apt_update
    as_root "${APT_GET[@]}" install --no-install-recommends "${missing[@]}"
else
    say "all ${#PACKAGES[@]} packages present"
fi

# ---- zlib sources for the cross build -----------------------------------------
# minizip is not packaged for mingw: the Windows build compiles zlib and
# minizip's unzip side from Debian's zlib source package, kept in the build
# tree (never committed).
ZLIB_DIR="${THIRD_PARTY}/zlib"
if [ -f "${ZLIB_DIR}/contrib/minizip/unzip.c" ] && [ -f "${ZLIB_DIR}/zlib.h" ]; then
    say "zlib sources present in build/third_party/zlib"
else
    # apt-get source needs a deb-src entry; add one for bookworm when none is
    # enabled, using the mirror the machine's own entries use.
    if ! grep -Rqs -E '^[[:space:]]*(deb-src[[:space:]]|Types:.*deb-src)' \
            /etc/apt/sources.list /etc/apt/sources.list.d/; then
        mirror="$(grep -Rhs -E '^[[:space:]]*URIs:' /etc/apt/sources.list.d/*.sources 2>/dev/null \
                  | awk '{print $2}' | grep -v -- '-security' | head -n 1 || true)"
        if [ -z "$mirror" ]; then
            mirror="$(grep -hs -E '^[[:space:]]*deb[[:space:]]' /etc/apt/sources.list \
                      /etc/apt/sources.list.d/*.list 2>/dev/null \
                      | grep -v -- '-security' | awk '{for (i = 2; i <= NF; i++) if ($i !~ /^\[/ && $i !~ /\]$/) {print $i; exit}}' \
                      | head -n 1 || true)"
        fi
        mirror="${mirror:-http://deb.debian.org/debian}"
        say "adding a deb-src entry for bookworm (${mirror})"
        as_root tee /etc/apt/sources.list.d/vimo-deb-src.sources >/dev/null <<SOURCES
Types: deb-src
URIs: ${mirror}
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SOURCES
        apt_updated=0
    fi
    apt_update
    say "fetching Debian's zlib source package into build/third_party"
    mkdir -p "${THIRD_PARTY}"
    work="$(mktemp -d "${THIRD_PARTY}/fetch.XXXXXX")"
    trap 'rm -rf "${work}"' EXIT
    # As root, apt would hand the download to its sandbox user, who cannot
    # write into this folder; download as the caller instead.
    sandbox=()
    [ "$(id -u)" -eq 0 ] && sandbox=(-o APT::Sandbox::User=root)
    (cd "${work}" && apt-get -q "${sandbox[@]}" source zlib)
    unpacked="$(find "${work}" -mindepth 1 -maxdepth 1 -type d -name 'zlib-*' | head -n 1)"
    if [ -z "${unpacked}" ] || [ ! -f "${unpacked}/contrib/minizip/unzip.c" ]; then
        say "apt-get source zlib gave no contrib/minizip/unzip.c" >&2
        exit 1
    fi
    rm -rf "${ZLIB_DIR}"
    mv "${unpacked}" "${ZLIB_DIR}"
    rm -rf "${work}"
    trap - EXIT
    say "zlib sources ready: $(basename "${unpacked}")"
fi
