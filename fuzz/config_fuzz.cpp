// "vimo.ini" through the configuration reader, with the sound re-starts the
// program makes while reading: the machine's chips are started again at
// whatever rate and width the file leaves, and a frame is then mixed into
// buffers of the largest size the program allocates (735 samples). What the
// reader took must come back unchanged when written and read again.
#include <cstdlib>

#include "frontend/config_file.h"
#include "fuzz_support.h"

namespace {

class MachineHooks final : public vimo::ConfigHooks {
public:
    void restartSoundChips(const vimo::ConfigSettings& settings) override {
        vimo::Machine& machine = vimo::fuzz::machine();
        machine.sampleRate = static_cast<uint32_t>(settings.soundRate);
        machine.sound16Bit = settings.soundBits == 16 ? 1 : 0;
        machine.shutdownFm();
        machine.initSoundChips();
    }
    void restartSoundOutput(const vimo::ConfigSettings&) override {}
};

// The pixel format is read but never written.
bool sameWritten(vimo::ConfigSettings a, vimo::ConfigSettings b) {
    a.pixelFormat = b.pixelFormat;
    return a == b;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = vimo::fuzz::scratchPath(vimo::kConfigFileName);
    vimo::fuzz::writeFile(path, {data, size});
    MachineHooks hooks;
    vimo::ConfigSettings settings;
    if (vimo::loadConfigFile(path, settings, hooks) != 0) std::abort();
    vimo::fuzz::runFrames(vimo::fuzz::machine(), 1);

    if (vimo::saveConfigFile(path, settings) != 0) std::abort();
    vimo::ConfigSettings again;
    if (vimo::loadConfigFile(path, again, hooks) != 0 || !sameWritten(settings, again)) std::abort();
    return 0;
}
