#!/usr/bin/env bash
# Configures and builds Vimo.
#   scripts/build.sh [asan|release|windows|fuzz]...   (default: all four)
#     asan     build/asan     Debug, AddressSanitizer + UBSan, every unit test
#     release  build/release  Release, the unit tests plus the long suites
#     windows  build/windows  mingw-w64 cross build of the portable core
#     fuzz     build/fuzz     clang with libFuzzer, ASan + UBSan: the fuzz targets
# It does not install anything: scripts/setup.sh does (scripts/test.sh and
# scripts/run.sh call it first). VIMO_JOBS sets the parallel jobs (default:
# every core). The build goes on past a failing file, so one run shows every
# error; the exit status is non-zero when anything failed.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
JOBS="${VIMO_JOBS:-$(nproc)}"

configure_args() {
    case "$1" in
        asan) echo "-DCMAKE_BUILD_TYPE=Debug -DVIMO_SANITIZE=ON -DVIMO_LONG_TESTS=OFF" ;;
        release) echo "-DCMAKE_BUILD_TYPE=Release -DVIMO_SANITIZE=OFF -DVIMO_LONG_TESTS=ON" ;;
        windows) echo "-DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=${ROOT}/cmake/mingw-w64-x86_64.cmake" ;;
        fuzz) echo "-DCMAKE_BUILD_TYPE=RelWithDebInfo -DVIMO_FUZZ=ON -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++" ;;
        *) return 1 ;;
    esac
}

build_one() {
    local name="$1"
    local dir="${ROOT}/build/${name}"
    local args
    if ! args="$(configure_args "$name")"; then
        echo "build: unknown build '${name}' (asan, release, windows or fuzz)" >&2
        return 2
    fi
    # The generator is chosen once, when the folder is first configured.
    local generator=()
    if [ ! -f "${dir}/CMakeCache.txt" ] && command -v ninja >/dev/null 2>&1; then
        generator=(-G Ninja)
    fi
    echo "build: configuring ${name} (build/${name})"
    # shellcheck disable=SC2086 # the arguments are split on purpose
    cmake -S "${ROOT}" -B "${dir}" "${generator[@]}" ${args} || return 1

    local keep_going=(-k)
    if grep -q '^CMAKE_GENERATOR:INTERNAL=Ninja$' "${dir}/CMakeCache.txt"; then
        keep_going=(-k 0)
    fi
    echo "build: building ${name} with ${JOBS} jobs"
    cmake --build "${dir}" --parallel "${JOBS}" -- "${keep_going[@]}"
}

builds=("$@")
[ "${#builds[@]}" -gt 0 ] || builds=(asan release windows fuzz)
status=0
for name in "${builds[@]}"; do
    build_one "$name" || status=1
done
exit "$status"
