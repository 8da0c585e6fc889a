// Speed of the Mega-CD frame: both 68000s, the Z80, the VDP drawing every
// line and the sound mixed at 44100 Hz, as vimo-headless runs them, on a
// synthetic BIOS that keeps both CPUs busy. Prints frames per second and the
// ratio to the console's 60 frames per second.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include "megacd_bench_programs.h"
#include "runner.h"

int main(int argc, char** argv) {
    using namespace vimo::headless;
    const uint32_t frames = argc > 1 ? static_cast<uint32_t>(std::atoi(argv[1])) : 1200;

    // The BIOS file: the program padded to 128 KB.
    const auto program = vimo::programs::megacd_bench_bios();
    std::vector<char> image(program.begin(), program.end());
    image.resize(0x20000, 0);
    const auto path = std::filesystem::temp_directory_path() / "vimo_megacd_bench_bios.bin";
    std::ofstream(path, std::ios::binary).write(image.data(), static_cast<std::streamsize>(image.size()));

    Options options;
    options.bios = path.string();
    options.country = vimo::kCountryUsa;
    options.frames = frames;
    RunResult result;
    std::string error;
    const RunStatus status = run(options, result, error);
    std::filesystem::remove(path);
    if (status != kRunOk) {
        std::fprintf(stderr, "megacd_bench: the BIOS did not boot %s\n", error.c_str());
        return 1;
    }
    const double fps = result.frames / result.seconds;
    std::printf("megacd frame: %u frames in %.2f s, %.0f frames/s, %.1fx real time (60 fps)\n",
                result.frames, result.seconds, fps, fps / 60.0);
    return 0;
}
