#include "runner.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>

#include "machine/machine.h"
#include "outputs.h"

namespace vimo::headless {

int loadLikeTheFrontEnd(Machine& machine, const std::string& path, std::string& error) {
    if (!endsWithIgnoringCase(path.c_str(), "zip")) return machine.loadRomFile(path.c_str());

    const std::vector<std::string> entries = zipRomEntries(path);
    if (entries.empty()) {
        error = "Zip file doesn't contain Megadrive/Genesis roms";
        return 1;
    }
    std::vector<char> buffer(path.begin(), path.end());
    buffer.resize(std::max<size_t>(buffer.size() + 1, 2048), '\0');
    if (machine.loadRomFromZip(buffer.data(), buffer.size(), entries.front().c_str()) != 0) {
        error = "Couldn't load: " + path;
        return 1;
    }
    return 0;
}

namespace {

// BIOS slots in the order USA, Japan, Europe.
void setCountryBios(Machine& machine, const std::string& path) {
    const uint32_t country = machine.country & kCountryAutodetectMenu;
    for (uint32_t slot = 0; slot < 3; ++slot) {
        const uint32_t slotCountry = slot == 0 ? kCountryUsa : slot == 1 ? kCountryJapan : kCountryEurope;
        if (country == slotCountry || country == kCountryAutodetectMenu)
            std::snprintf(machine.biosPaths[slot], kBiosPathSize, "%s", path.c_str());
    }
}

}  // namespace

int bootWithBios(Machine& machine, const std::string& path) {
    setCountryBios(machine, path);
    return machine.bootMegaCd();
}

void setBiosPaths(Machine& machine, const Options& options) {
    if (!options.bios.empty()) setCountryBios(machine, options.bios);
    for (uint32_t slot = 0; slot < 3; ++slot) {
        if (!options.countryBios[slot].empty())
            std::snprintf(machine.biosPaths[slot], kBiosPathSize, "%s", options.countryBios[slot].c_str());
    }
}

int bootDisc(Machine& machine, const Options& options) {
    setBiosPaths(machine, options);
    if (machine.loadCdImage(options.cd.c_str()) != 0) return 1;
    // The load reports success whatever the boot did; without a BIOS the
    // machine is back in cartridge mode with nothing to run.
    return machine.megaCdMode != 0 ? 0 : 1;
}

RunStatus run(const Options& options, RunResult& result, std::string& error) {
    auto machine = std::make_unique<Machine>();
    if (!machine->isUsable()) {
        error = "the machine could not be built";
        return kRunFailed;
    }
    machine->country = options.country;
    machine->selectZ80Core(options.z80Core);
    int loaded = 0;
    if (!options.cd.empty()) {
        loaded = bootDisc(*machine, options);
    } else if (!options.rom.empty()) {
        loaded = loadLikeTheFrontEnd(*machine, options.rom, error);
    } else {
        setBiosPaths(*machine, options);
        loaded = machine->bootMegaCd();
    }
    if (loaded != 0) return kRunLoadFailed;

    runFrames(*machine, options, result);
    return kRunOk;
}

void runFrames(Machine& machine, const Options& options, RunResult& result) {
    std::vector<uint16_t> surface(kSurfaceWidth * kSurfaceHeight, 0);
    FrameBufferDesc frame{surface.data(), kSurfaceWidth, kSurfaceHeight, kSurfaceWidth * 2, 16};
    std::vector<int16_t> left(kSamplesPerFrame), right(kSamplesPerFrame);
    SoundFrameDesc sound{left.data(), right.data(), kSamplesPerFrame};
    result.sound.clear();
    result.sound.reserve(static_cast<size_t>(options.frames) * kSamplesPerFrame * 2);

    const auto start = std::chrono::steady_clock::now();
    for (uint32_t f = 0; f < options.frames; ++f) {
        machine.pads[0] = kPadsReleased & ~pressedButtons(options, f);
        machine.pads[1] = kPadsReleased;
        machine.runFrame(&frame, &sound);
        for (uint32_t i = 0; i < kSamplesPerFrame; ++i) {
            result.sound.push_back(left[i]);
            result.sound.push_back(right[i]);
        }
    }
    const auto stop = std::chrono::steady_clock::now();

    result.frames = options.frames;
    result.seconds = std::chrono::duration<double>(stop - start).count();
    result.picture = visiblePicture(frame);
}

std::string summaryLine(const RunResult& result) {
    const double fps = result.seconds > 0.0 ? result.frames / result.seconds : 0.0;
    char line[256];
    std::snprintf(line, sizeof line, "frames=%u seconds=%.3f fps=%.1f realtime=%.2f frame_crc=%08X audio_crc=%08X",
                  result.frames, result.seconds, fps, fps / 60.0, pictureCrc(result.picture),
                  soundCrc(result.sound));
    return line;
}

}  // namespace vimo::headless
