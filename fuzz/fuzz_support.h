// What the fuzz targets share: files of their own, one machine per process,
// and a digest of the state a refused input must leave alone.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "machine/machine.h"

namespace vimo::fuzz {

// A path in a folder of this process's own (the targets may run side by side).
std::string scratchPath(const std::string& name);
void writeFile(const std::string& path, std::span<const uint8_t> bytes);

// The process's machine, built on first use. Error boxes go nowhere.
Machine& machine();

// The main 68000's registers, the VDP's registers and memories, Z80 RAM and
// work RAM: everything a save state holds.
uint64_t mainSideDigest(const Machine& m);

// Runs frames with a frame buffer and sound buffers, so the renderer and the
// mixing run as in the program.
void runFrames(Machine& m, int frames);

}  // namespace vimo::fuzz
