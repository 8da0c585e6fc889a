// vimo-headless: runs a cartridge, a Mega-CD BIOS or a disc image without a
// window; see options.h and runner.h. Exit status 0 on success, 2 when the
// ROM, the BIOS or the disc cannot be loaded, 1 for a bad command line or an
// output that cannot be written.
#include <cstdio>
#include <cstring>
#include <string>

#include "machine/report.h"
#include "options.h"
#include "outputs.h"
#include "runner.h"

namespace {

void printErrorBox(const char* text) {
    std::fprintf(stderr, "%s\n", text);
}

}  // namespace

int main(int argc, char** argv) {
    using namespace vimo::headless;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
    }
    Options options;
    const std::string problem = parseOptions(argc, argv, options);
    if (!problem.empty()) {
        std::fprintf(stderr, "vimo-headless: %s\n%s", problem.c_str(), kUsage);
        return 1;
    }

    vimo::ReportSink sink;
    sink.errorBox = printErrorBox;
    vimo::installReportSink(&sink);

    RunResult result;
    std::string error;
    const RunStatus status = run(options, result, error);
    if (status != kRunOk) {
        if (!error.empty()) std::fprintf(stderr, "%s\n", error.c_str());
        return status;
    }
    if (!options.png.empty() && writePng(options.png, result.picture) != 0) {
        std::fprintf(stderr, "vimo-headless: cannot write %s\n", options.png.c_str());
        return 1;
    }
    if (!options.wav.empty() && writeWav(options.wav, result.sound, kSampleRate) != 0) {
        std::fprintf(stderr, "vimo-headless: cannot write %s\n", options.wav.c_str());
        return 1;
    }
    std::printf("%s\n", summaryLine(result).c_str());
    return 0;
}
