// zexdoc.com, the documented-instruction exerciser (it masks bits 3 and 5 of
// F), under the CP/M harness on the Kite core: every group must print "OK".
#include <gtest/gtest.h>

#include <memory>
#include <span>

#include "kite_cpm.h"

namespace vimo::test {
namespace {

TEST(KiteZexdoc, EveryGroupPasses) {
    auto core = std::make_unique<KiteCore>();
    CpmCpu cpu = kiteOn(*core);
    runExerciser(VIMO_TESTDATA_DIR "/z80/zexdoc.com", cpu, std::span<const CpmExpectedFailure>{});
}

}  // namespace
}  // namespace vimo::test
