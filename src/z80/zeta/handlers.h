// The Zeta core's decode tables and the instruction families that fill them.
// A handler does its instruction's work and charges its whole cost; the run
// loop (run.cpp) fetches the next opcode after it. Prefix entries fetch the
// next byte and dispatch through their own table at no cost of their own.
#pragma once

#include <cstdint>

#include "z80/zeta/zeta.h"

namespace vimo {

using ZetaHandler = void (*)(ZetaCore& core);

// Six tables of 256 handlers, indexed by an opcode byte: main (unprefixed),
// CB, ED, DD, FD, and one table shared by DD CB and FD CB (indexed by the
// fourth byte, with the effective address in ZetaCore::indexAddress).
struct ZetaDecodeTables {
    ZetaHandler main[256];
    ZetaHandler cb[256];
    ZetaHandler ed[256];
    ZetaHandler dd[256];
    ZetaHandler fd[256];
    ZetaHandler indexCb[256];
};

// ---- decode.cpp ------------------------------------------------------------
// Built once on first use; shared, immutable.
const ZetaDecodeTables& zetaDecodeTables();
// The entries the core does not implement lead to the invalid-instruction
// exit; these name them so the tables can be checked.
bool zetaIsInvalidHandler(ZetaHandler handler);

}  // namespace vimo

namespace vimo::zeta {

// Each family file fills the entries it implements; decode.cpp gives every
// entry left empty in the ED, DD, FD and DD CB tables the invalid exit.
void installLoads(ZetaDecodeTables& t);         // ops_load.cpp: LD, PUSH, POP, EX
void installArithmetic(ZetaDecodeTables& t);    // ops_alu.cpp: ALU, INC, DEC, ADD HL, rotates of A, DAA ...
void installControl(ZetaDecodeTables& t);       // ops_control.cpp: jumps, calls, returns, RST, HALT, DI, EI
void installBitOps(ZetaDecodeTables& t);        // ops_cb.cpp: the CB family
void installPorts(ZetaDecodeTables& t);         // ops_ports.cpp: IN, OUT and the block I/O instructions
void installBlockOps(ZetaDecodeTables& t);      // ops_block.cpp: LDI, LDD, CPI, CPD and their repeats
void installEdMisc(ZetaDecodeTables& t);        // ops_ed.cpp: the other ED instructions
void installIndexOps(ZetaDecodeTables& t);      // ops_index.cpp: DD and FD
void installIndexBitOps(ZetaDecodeTables& t);   // ops_index_cb.cpp: DD CB and FD CB

}  // namespace vimo::zeta
