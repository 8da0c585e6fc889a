// The Kite core's opcode tables and the instruction families that fill them.
// A handler does its instruction's work and charges its whole cost; the run
// loop (run.cpp) fetches the next opcode after it. Prefix entries count R,
// fetch the next byte and dispatch through their own table at no cost of
// their own. Every entry of every table is a handler: there is no invalid
// instruction.
#pragma once

#include <cstdint>

#include "z80/kite/kite.h"

namespace vimo {

using KiteHandler = void (*)(KiteCore& core);
// The DD CB / FD CB table: the handler gets IX + d or IY + d.
using KiteIndexBitHandler = void (*)(KiteCore& core, uint16_t address);

// Six tables of 256 handlers, indexed by an opcode byte: main, CB, ED, DD,
// FD, and one shared by DD CB and FD CB (indexed by the fourth byte).
struct KiteDecodeTables {
    KiteHandler main[256];
    KiteHandler cb[256];
    KiteHandler ed[256];
    KiteHandler dd[256];
    KiteHandler fd[256];
    KiteIndexBitHandler indexCb[256];
};

// ---- decode.cpp ------------------------------------------------------------
// Built once on first use; shared, immutable.
const KiteDecodeTables& kiteDecodeTables();

}  // namespace vimo

namespace vimo::kite {

// Each family file fills the entries it implements; decode.cpp adds the
// prefixes and checks that no entry is left empty.
void installLoads(KiteDecodeTables& t);        // ops_load.cpp: LD, PUSH, POP, EX, EXX
void installArithmetic(KiteDecodeTables& t);   // ops_alu.cpp: ALU, INC, DEC, ADD HL, rotates of A, DAA, CPL, SCF, CCF
void installControl(KiteDecodeTables& t);      // ops_control.cpp: jumps, calls, returns, RST, HALT, DI, EI
void installBitOps(KiteDecodeTables& t);       // ops_cb.cpp: the CB family
void installPorts(KiteDecodeTables& t);        // ops_ports.cpp: IN, OUT and the block I/O instructions
void installBlockOps(KiteDecodeTables& t);     // ops_block.cpp: LDI, LDD, CPI, CPD and their repeats
void installEdMisc(KiteDecodeTables& t);       // ops_ed.cpp: the other ED instructions and the ED no-ops
void installIndexOps(KiteDecodeTables& t);     // ops_index.cpp: DD and FD, with their no-op prefixes
void installIndexBitOps(KiteDecodeTables& t);  // ops_index_cb.cpp: DD CB and FD CB

}  // namespace vimo::kite
