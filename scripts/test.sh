#!/usr/bin/env bash
# Installs what is missing, then builds and tests Vimo in its three builds:
#   build/asan     Debug with AddressSanitizer + UBSan: every unit test
#   build/release  Release: the same tests plus the long suites
#   build/windows  mingw-w64 cross build of the portable core (and its checks)
#   build/fuzz     every fuzz target for VIMO_FUZZ_SECONDS (default 60) each
# Every stage runs even when an earlier one failed, so one run shows all that
# is wrong; the exit status is non-zero when anything failed.
# VIMO_JOBS sets the parallel build and test jobs (default: every core).
set -uo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export VIMO_JOBS="${VIMO_JOBS:-$(nproc)}"
LOGS="${ROOT}/build/logs"

export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1}"
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_stack_use_after_return=1}"

banner() { printf '\n==== %s ====\n' "$*"; }

start_time=$SECONDS
"${ROOT}/scripts/setup.sh" || { echo "test: setup failed" >&2; exit 1; }
mkdir -p "${LOGS}"

summary=()
total_passed=0
total_failed=0
overall=0

# Runs ctest in one build folder; adds its counts to the totals and sets
# stage_result. A run without a closing count line counts as a failure.
run_tests() {
    local name="$1"
    local log="${LOGS}/${name}-ctest.log"
    ctest --test-dir "${ROOT}/build/${name}" --output-on-failure --no-tests=error \
          --timeout 600 -j "${VIMO_JOBS}" 2>&1 | tee "${log}"
    local rc=${PIPESTATUS[0]}
    local line failed total
    line="$(grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "${log}" | tail -n 1)"
    if [ -n "${line}" ]; then
        failed="$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"${line}")"
        total="$(sed -E 's/.* failed out of ([0-9]+).*/\1/' <<<"${line}")"
        total_passed=$((total_passed + total - failed))
        total_failed=$((total_failed + failed))
        stage_result="$((total - failed)) passed, ${failed} failed"
    else
        stage_result="no test result"
        rc=1
    fi
    return "${rc}"
}

for name in asan release windows fuzz; do
    banner "${name}: configure and build"
    stage_start=$SECONDS
    if "${ROOT}/scripts/build.sh" "${name}" 2>&1 | tee "${LOGS}/${name}-build.log"; [ "${PIPESTATUS[0]}" -eq 0 ]; then
        built="built"
    else
        built="BUILD FAILED"
        overall=1
    fi

    stage_result="not tested"
    if [ "${name}" = windows ] && [ ! -f "${ROOT}/build/windows/CTestTestfile.cmake" ]; then
        # No Wine: the cross build only compiles and links.
        stage_result="compiled only"
    elif [ -f "${ROOT}/build/${name}/CMakeCache.txt" ]; then
        banner "${name}: tests"
        run_tests "${name}" || overall=1
    fi
    summary+=("$(printf '%-8s %-13s %-32s %4ds' "${name}" "${built}" "${stage_result}" $((SECONDS - stage_start)))")
done

banner "summary"
for line in "${summary[@]}"; do
    echo "  ${line}"
done
echo "  logs in build/logs/; total time $((SECONDS - start_time))s"
if [ "${overall}" -eq 0 ]; then
    echo "RESULT: all builds and tests passed"
else
    echo "RESULT: FAILED (see the stages above)"
fi
echo "tests: ${total_passed} passed, ${total_failed} failed"
exit "${overall}"
