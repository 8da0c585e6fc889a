// Names the unit tests of both Z80 cores spell their expectations with: the
// flag bits of F as the Z80 documents them, and the opcodes the run-loop
// tests assemble by hand.
#pragma once

#include <cstdint>

namespace vimo::test {

inline constexpr uint8_t kC = 0x01;
inline constexpr uint8_t kN = 0x02;
inline constexpr uint8_t kPV = 0x04;
inline constexpr uint8_t kF3 = 0x08;
inline constexpr uint8_t kH = 0x10;
inline constexpr uint8_t kF5 = 0x20;
inline constexpr uint8_t kZ = 0x40;
inline constexpr uint8_t kS = 0x80;

namespace opcodes {

inline constexpr uint8_t kNop = 0x00;
inline constexpr uint8_t kHalt = 0x76;
inline constexpr uint8_t kDi = 0xF3;
inline constexpr uint8_t kEi = 0xFB;
inline constexpr uint8_t kIncA = 0x3C;
inline constexpr uint8_t kJr = 0x18;
inline constexpr uint8_t kEd = 0xED;
// After ED:
inline constexpr uint8_t kIm0 = 0x46;
inline constexpr uint8_t kIm1 = 0x56;
inline constexpr uint8_t kIm2 = 0x5E;
inline constexpr uint8_t kRetn = 0x45;
inline constexpr uint8_t kReti = 0x4D;

}  // namespace opcodes
}  // namespace vimo::test
