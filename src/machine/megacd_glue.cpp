// The Mega-CD side of the machine: the sub 68000, its map, word RAM, the gate
// array and the Mega-CD frame. The Mega-CD work fills it; until then there is
// no way into Mega-CD mode, the gate array only stores what the main side
// writes, and these are the call points the machine already uses.
#include "machine/machine.h"

namespace vimo {

namespace {

constexpr uint32_t kMainGateArrayBase = 0xA12000;

}  // namespace

int32_t Machine::initSubCpu() {
    freeSubCpuTables();
    subContext = Cpu68000Context{};
    return 0;
}

void Machine::freeSubCpuTables() {
    subTables.fetch.reset();
    subTables.readByte.reset();
    subTables.readWord.reset();
    subTables.writeByte.reset();
    subTables.writeWord.reset();
}

void Machine::resetSubCpu() {}

int32_t Machine::buildMegaCdMemoryMap() {
    // Every list empty until the Mega-CD map is built here.
    mainTables.fetch[0] = ProgramRegion::end();
    mainTables.readByte[0] = DataRegion::end();
    mainTables.readWord[0] = DataRegion::end();
    mainTables.writeByte[0] = DataRegion::end();
    mainTables.writeWord[0] = DataRegion::end();
    return 0;
}

void Machine::mapMainWordRam2M() {}

void Machine::mapSubWordRam2M() {}

uint32_t Machine::readByteWordRam(uint32_t /*address*/) {
    return 0;
}

uint32_t Machine::readByteGateArray(uint32_t address) {
    return mainGateArray[(address - kMainGateArrayBase) % sizeof mainGateArray];
}

uint32_t Machine::readWordGateArray(uint32_t address) {
    return (readByteGateArray(address) << 8) | readByteGateArray(address + 1);
}

void Machine::writeByteGateArray(uint32_t address, uint32_t byte) {
    mainGateArray[(address - kMainGateArrayBase) % sizeof mainGateArray] = static_cast<uint8_t>(byte);
}

void Machine::writeWordGateArray(uint32_t address, uint32_t word) {
    writeByteGateArray(address, (word >> 8) & 0xFF);
    writeByteGateArray(address + 1, word & 0xFF);
}

int32_t Machine::runFrameMegaCd(const FrameBufferDesc* /*frame*/, const SoundFrameDesc* /*sound*/) {
    return 0;
}

}  // namespace vimo
