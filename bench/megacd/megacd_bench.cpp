// Speed of the Mega-CD frame: both 68000s, the Z80, the VDP drawing every
// line and the sound mixed at 44100 Hz, as vimo-headless runs them. Prints
// frames per second and the ratio to the console's 60 frames per second for:
//   - a cartridge (a game-like load) for comparison;
//   - a synthetic BIOS that keeps both CPUs busy;
//   - a disc-reading run, booted as `vimo-headless --cd` boots it: the
//     BIOS-like reader of the tests streams a synthetic disc, one sector per
//     CD tick moved into program RAM by DMA;
//   - the same reader booted without a disc (no sector is read), so the
//     difference is the cost of streaming.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "cd_test_util.h"
#include "machine_programs.h"
#include "megacd_bench_programs.h"
#include "megacd_programs.h"
#include "runner.h"

namespace {

using namespace vimo::headless;
namespace fs = std::filesystem;

fs::path writeFile(const std::string& name, const std::vector<uint8_t>& bytes) {
    const fs::path path = fs::temp_directory_path() / name;
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path;
}

std::vector<uint8_t> biosFile(std::span<const uint8_t> program) {
    std::vector<uint8_t> image(program.begin(), program.end());
    image.resize(0x20000, 0);
    return image;
}

void report(const char* what, const RunResult& result, const std::string& extra = {}) {
    const double fps = result.frames / result.seconds;
    std::printf("%-34s %u frames in %.2f s, %6.0f frames/s, %5.1fx real time (60 fps)%s\n", what, result.frames,
                result.seconds, fps, fps / 60.0, extra.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    const uint32_t frames = argc > 1 ? static_cast<uint32_t>(std::atoi(argv[1])) : 1200;
    Options options;
    options.frames = frames;
    options.country = vimo::kCountryUsa;
    RunResult result;
    std::string error;

    // A cartridge.
    const fs::path cartridge = writeFile("vimo_bench_cartridge.bin",
                                         {vimo::programs::machine_workload().begin(),
                                          vimo::programs::machine_workload().end()});
    options.rom = cartridge.string();
    if (run(options, result, error) != kRunOk) {
        std::fprintf(stderr, "megacd_bench: the cartridge did not load %s\n", error.c_str());
        return 1;
    }
    report("cartridge (game-like load):", result);
    options.rom.clear();
    fs::remove(cartridge);

    // The busy BIOS.
    const fs::path busy = writeFile("vimo_megacd_bench_bios.bin", biosFile(vimo::programs::megacd_bench_bios()));
    options.bios = busy.string();
    const RunStatus busyStatus = run(options, result, error);
    fs::remove(busy);
    if (busyStatus != kRunOk) {
        std::fprintf(stderr, "megacd_bench: the BIOS did not boot %s\n", error.c_str());
        return 1;
    }
    report("megacd frame (busy BIOS):", result);

    // The disc reader, with and without a disc.
    const fs::path reader = writeFile("vimo_megacd_bench_reader.bin", biosFile(vimo::programs::mcd_cdread()));
    const uint32_t sectors = frames * 262 / 210 + 64;  // one a CD tick, and to spare
    const fs::path disc = writeFile("vimo_megacd_bench_disc.bin", vimo::test::makeRawImage(sectors));
    options.bios = reader.string();
    options.cd = disc.string();
    auto machine = std::make_unique<vimo::Machine>();
    machine->country = options.country;
    if (bootDisc(*machine, options) != 0) {
        std::fprintf(stderr, "megacd_bench: the disc did not boot\n");
        return 1;
    }
    runFrames(*machine, options, result);
    const uint32_t moved = (machine->commArea[0x12] << 8) | machine->commArea[0x13];
    char extra[96];
    std::snprintf(extra, sizeof extra, ", %u sectors read, %u moved by DMA",
                  machine->cdUnit.lba - vimo::kFirstDataBlock, moved);
    report("disc-reading run (--cd):", result, extra);
    fs::remove(disc);

    options.cd.clear();
    machine = std::make_unique<vimo::Machine>();
    machine->country = options.country;
    setBiosPaths(*machine, options);
    if (machine->bootMegaCd() != 0) return 1;
    runFrames(*machine, options, result);
    report("the same reader without a disc:", result);
    fs::remove(reader);
    return 0;
}
