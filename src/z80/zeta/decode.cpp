// The Zeta core's six decode tables, the prefix entries and the invalid
// exit for the entries the core does not implement.
#include "z80/zeta/access.h"
#include "z80/zeta/handlers.h"
#include "z80/zeta/run.h"

namespace vimo {
namespace {

// CB, ED, DD and FD charge nothing: the handler they reach charges the whole
// instruction, prefix included.
void prefixCb(ZetaCore& z) { z.tables->cb[zeta::fetchByte(z)](z); }
void prefixEd(ZetaCore& z) { z.tables->ed[zeta::fetchByte(z)](z); }
void prefixDd(ZetaCore& z) { z.tables->dd[zeta::fetchByte(z)](z); }
void prefixFd(ZetaCore& z) { z.tables->fd[zeta::fetchByte(z)](z); }

// ED xx, DD xx and FD xx that the core does not implement: two bytes fetched.
void invalidPrefixed(ZetaCore& z) { zeta::stopAtInvalid(z, 2); }
// DD CB d xx and FD CB d xx: four bytes fetched.
void invalidIndexBit(ZetaCore& z) { zeta::stopAtInvalid(z, 4); }

void fillEmpty(ZetaHandler (&table)[256], ZetaHandler handler) {
    for (ZetaHandler& entry : table) {
        if (entry == nullptr) {
            entry = handler;
        }
    }
}

ZetaDecodeTables buildTables() {
    ZetaDecodeTables t{};
    zeta::installLoads(t);
    zeta::installArithmetic(t);
    zeta::installControl(t);
    zeta::installBitOps(t);
    zeta::installPorts(t);
    zeta::installBlockOps(t);
    zeta::installEdMisc(t);
    zeta::installIndexOps(t);
    zeta::installIndexBitOps(t);
    t.main[0xCB] = prefixCb;
    t.main[0xED] = prefixEd;
    t.main[0xDD] = prefixDd;
    t.main[0xFD] = prefixFd;
    // The main and CB tables are complete; filling them too only guards
    // against a gap, which the decode tests would report.
    fillEmpty(t.main, invalidPrefixed);
    fillEmpty(t.cb, invalidPrefixed);
    fillEmpty(t.ed, invalidPrefixed);
    fillEmpty(t.dd, invalidPrefixed);
    fillEmpty(t.fd, invalidPrefixed);
    fillEmpty(t.indexCb, invalidIndexBit);
    return t;
}

}  // namespace

const ZetaDecodeTables& zetaDecodeTables() {
    static const ZetaDecodeTables tables = buildTables();
    return tables;
}

bool zetaIsInvalidHandler(ZetaHandler handler) {
    return handler == invalidPrefixed || handler == invalidIndexBit;
}

}  // namespace vimo
