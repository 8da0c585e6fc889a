// Classification of all 65,536 opcode words and the shared run-length table
// each instance expands into its own jump table.
#include "cpu68000/decode.h"

#include <cstddef>
#include <map>

namespace vimo {
namespace m68k {

Decoded decode(uint16_t opcode) {
    switch (opcode >> 12) {
    case 0xA: return lineAInstruction();
    case 0xF: return lineFInstruction();
    default: break;
    }
    // Each family owns a disjoint set of encodings; the order only spares
    // work for the common lines.
    using Family = Decoded (*)(uint16_t);
    static constexpr Family kFamilies[] = {
        decodeMoveFamily,  decodeBranchFamily, decodeArithFamily, decodeLogicFamily,  decodeMovemFamily,
        decodeBitFamily,   decodeShiftFamily,  decodeBcdFamily,   decodeMulDivFamily, decodeSystemFamily,
    };
    for (const Family family : kFamilies) {
        const Decoded decoded = family(opcode);
        if (decoded.handler != nullptr) return decoded;
    }
    return illegalInstruction();
}

}  // namespace m68k

const Cpu68000::PackedTable& Cpu68000::packedOpcodeTable() {
    static const PackedTable table = [] {
        PackedTable built;
        std::map<Handler, uint32_t> indices;
        auto indexOf = [&built, &indices](Handler handler) -> uint32_t {
            const auto [it, added] = indices.try_emplace(handler, static_cast<uint32_t>(built.handlers.size()));
            if (added) built.handlers.push_back(handler);
            return it->second;
        };
        uint32_t opcode = 0;
        while (opcode < 0x10000) {
            const Handler handler = m68k::decode(static_cast<uint16_t>(opcode)).handler;
            uint32_t length = 1;
            while (length < 256 && opcode + length < 0x10000 &&
                   m68k::decode(static_cast<uint16_t>(opcode + length)).handler == handler)
                ++length;
            built.runs.push_back(((length - 1) << 24) | indexOf(handler));
            opcode += length;
        }
        return built;
    }();
    return table;
}

const char* Cpu68000::opcodeName(uint16_t opcode) { return m68k::decode(opcode).name; }

}  // namespace vimo
