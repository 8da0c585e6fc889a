// The Kite core's six opcode tables and the prefix entries. A prefix counts
// R for the byte it fetches and charges nothing; the handler it reaches
// charges the whole instruction.
#include <cstdlib>

#include "z80/kite/access.h"
#include "z80/kite/handlers.h"

namespace vimo {
namespace {

void prefixCb(KiteCore& k) { k.tables->cb[kite::fetchOpcode(k)](k); }
void prefixEd(KiteCore& k) { k.tables->ed[kite::fetchOpcode(k)](k); }
void prefixDd(KiteCore& k) { k.tables->dd[kite::fetchOpcode(k)](k); }
void prefixFd(KiteCore& k) { k.tables->fd[kite::fetchOpcode(k)](k); }

template <typename Handler>
bool complete(const Handler (&table)[256]) {
    for (Handler entry : table) {
        if (entry == nullptr) {
            return false;
        }
    }
    return true;
}

KiteDecodeTables buildTables() {
    KiteDecodeTables t{};
    kite::installLoads(t);
    kite::installArithmetic(t);
    kite::installControl(t);
    kite::installBitOps(t);
    kite::installPorts(t);
    kite::installBlockOps(t);
    kite::installEdMisc(t);
    kite::installIndexOps(t);
    kite::installIndexBitOps(t);
    t.main[0xCB] = prefixCb;
    t.main[0xED] = prefixEd;
    t.main[0xDD] = prefixDd;
    t.main[0xFD] = prefixFd;
    return t;
}

}  // namespace

const KiteDecodeTables& kiteDecodeTables() {
    static const KiteDecodeTables tables = [] {
        const KiteDecodeTables built = buildTables();
        // Every byte sequence executes: a gap would be a fault of the
        // installers, caught by the decode tests through this check.
        if (!complete(built.main) || !complete(built.cb) || !complete(built.ed) || !complete(built.dd) ||
            !complete(built.fd) || !complete(built.indexCb)) {
            std::abort();
        }
        return built;
    }();
    return tables;
}

}  // namespace vimo
