// zexall.com, the exerciser that checks every flag bit (3 and 5 included),
// under the CP/M harness on the Kite core.
#include <gtest/gtest.h>

#include <memory>
#include <span>

#include "kite_cpm.h"

namespace vimo::test {
namespace {

TEST(KiteZexall, EveryGroupPasses) {
    auto core = std::make_unique<KiteCore>();
    CpmCpu cpu = kiteOn(*core);
    runExerciser(VIMO_TESTDATA_DIR "/z80/zexall.com", cpu, std::span<const CpmExpectedFailure>{});
}

}  // namespace
}  // namespace vimo::test
