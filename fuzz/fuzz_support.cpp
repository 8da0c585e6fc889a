#include "fuzz_support.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <vector>

#include <unistd.h>

namespace vimo::fuzz {

std::string scratchPath(const std::string& name) {
    static const std::filesystem::path folder = [] {
        auto path = std::filesystem::temp_directory_path() / ("vimo-fuzz-" + std::to_string(getpid()));
        std::filesystem::create_directories(path);
        return path;
    }();
    return (folder / name).string();
}

void writeFile(const std::string& path, std::span<const uint8_t> bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) std::abort();
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()) std::abort();
    std::fclose(file);
}

Machine& machine() {
    static Machine* const instance = new Machine();
    if (!instance->isUsable()) std::abort();
    return *instance;
}

namespace {

uint64_t mix(uint64_t hash, const uint8_t* bytes, size_t count) {
    for (size_t i = 0; i < count; ++i) hash = (hash ^ bytes[i]) * 0x100000001B3ull;
    return hash;
}

}  // namespace

uint64_t mainSideDigest(const Machine& m) {
    Cpu68000Context context;
    m.mainCpu->getContext(&context);
    uint64_t hash = 0xCBF29CE484222325ull;
    hash = mix(hash, reinterpret_cast<const uint8_t*>(context.d), sizeof context.d);
    hash = mix(hash, reinterpret_cast<const uint8_t*>(context.a), sizeof context.a);
    hash = mix(hash, reinterpret_cast<const uint8_t*>(&context.pc), sizeof context.pc);
    hash = mix(hash, reinterpret_cast<const uint8_t*>(&context.sr), sizeof context.sr);
    hash = mix(hash, m.vdp.regs, sizeof m.vdp.regs);
    hash = mix(hash, m.vdp.cram, kCramSize);
    hash = mix(hash, m.vdp.vsram, kVsramSize);
    hash = mix(hash, m.vdp.vram, kVramSize);
    hash = mix(hash, m.z80Ram.get(), kZ80RamSize);
    return mix(hash, m.ram.get(), kWorkRamSize);
}

void runFrames(Machine& m, int frames) {
    static std::vector<uint16_t> pixels(336 * 240);
    static std::vector<int16_t> left(735), right(735);
    FrameBufferDesc frame{};
    frame.pixels = pixels.data();
    frame.width = 336;
    frame.height = 240;
    frame.pitch = 336 * 2;
    frame.bitsPerPixel = 16;
    const SoundFrameDesc sound{left.data(), right.data(), m.sampleRate / 60};
    for (int i = 0; i < frames; ++i) m.runFrame(&frame, &sound);
}

}  // namespace vimo::fuzz
