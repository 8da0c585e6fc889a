// The bus callbacks of the Mega-CD's ranges in the sub 68000's map and in the
// main 68000's Mega-CD map. Each ignores its region record and forwards to
// the Machine member of its range on the global machine, a write with only
// the byte or word of its size.
#pragma once

#include "machine/machine.h"

namespace vimo {

template <uint32_t (Machine::*Read)(uint32_t)>
uint32_t forwardRead(uint32_t address, const DataRegion*) {
    return (globalMachine->*Read)(address);
}

template <void (Machine::*Write)(uint32_t, uint32_t), uint32_t Mask>
void forwardWrite(uint32_t address, uint32_t data, const DataRegion*) {
    (globalMachine->*Write)(address, data & Mask);
}

// Sub 68000: gate array, peripheral bus (backup RAM, PCM), word RAM in 1M mode.
inline constexpr DataReadHandler subReadByteGateArray = forwardRead<&Machine::readByteGateArray>;
inline constexpr DataReadHandler subReadWordGateArray = forwardRead<&Machine::readWordGateArray>;
inline constexpr DataWriteHandler subWriteByteGateArray = forwardWrite<&Machine::writeByteGateArray, 0xFF>;
inline constexpr DataWriteHandler subWriteWordGateArray = forwardWrite<&Machine::writeWordGateArray, 0xFFFF>;
inline constexpr DataReadHandler subReadBytePeripheral = forwardRead<&Machine::readByteSubPeripheral>;
inline constexpr DataReadHandler subReadWordPeripheral = forwardRead<&Machine::readWordSubPeripheral>;
inline constexpr DataWriteHandler subWriteBytePeripheral = forwardWrite<&Machine::writeByteSubPeripheral, 0xFF>;
inline constexpr DataWriteHandler subWriteWordPeripheral = forwardWrite<&Machine::writeWordSubPeripheral, 0xFFFF>;
inline constexpr DataReadHandler subReadByteWordRam = forwardRead<&Machine::readByteWordRam>;
inline constexpr DataReadHandler subReadWordWordRam = forwardRead<&Machine::readWordWordRam>;
inline constexpr DataWriteHandler subWriteByteWordRam = forwardWrite<&Machine::writeByteWordRam, 0xFF>;
inline constexpr DataWriteHandler subWriteWordWordRam = forwardWrite<&Machine::writeWordWordRam, 0xFFFF>;

// Main 68000: word RAM in 1M mode and the program-RAM window.
inline constexpr DataReadHandler mainReadByteWordRam = forwardRead<&Machine::readByteWordRam>;
inline constexpr DataReadHandler mainReadWordWordRam = forwardRead<&Machine::readWordWordRam>;
inline constexpr DataWriteHandler mainWriteByteWordRam = forwardWrite<&Machine::writeByteWordRam, 0xFF>;
inline constexpr DataWriteHandler mainWriteWordWordRam = forwardWrite<&Machine::writeWordWordRam, 0xFFFF>;
inline constexpr DataReadHandler mainReadBytePrgRam = forwardRead<&Machine::readBytePrgRam>;
inline constexpr DataReadHandler mainReadWordPrgRam = forwardRead<&Machine::readWordPrgRam>;
inline constexpr DataWriteHandler mainWriteBytePrgRam = forwardWrite<&Machine::writeBytePrgRam, 0xFF>;
inline constexpr DataWriteHandler mainWriteWordPrgRam = forwardWrite<&Machine::writeWordPrgRam, 0xFFFF>;

inline constexpr DataHandlers kSubGateArrayCallbacks{subReadByteGateArray, subReadWordGateArray,
                                                     subWriteByteGateArray, subWriteWordGateArray};
inline constexpr DataHandlers kSubPeripheralCallbacks{subReadBytePeripheral, subReadWordPeripheral,
                                                      subWriteBytePeripheral, subWriteWordPeripheral};
inline constexpr DataHandlers kSubWordRamCallbacks{subReadByteWordRam, subReadWordWordRam,
                                                   subWriteByteWordRam, subWriteWordWordRam};
inline constexpr DataHandlers kMainWordRamCallbacks{mainReadByteWordRam, mainReadWordWordRam,
                                                    mainWriteByteWordRam, mainWriteWordWordRam};
inline constexpr DataHandlers kMainPrgRamCallbacks{mainReadBytePrgRam, mainReadWordPrgRam,
                                                   mainWriteBytePrgRam, mainWriteWordPrgRam};

}  // namespace vimo
