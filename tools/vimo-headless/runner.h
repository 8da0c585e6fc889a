// One run of vimo-headless: load the ROM as the front end does, run the
// frames with a 336x240 RGB565 surface and a 44100 Hz sound description,
// press the pad buttons asked for, and collect the picture and the sound.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "machine/machine.h"
#include "machine/zip_entries.h"
#include "options.h"

namespace vimo::headless {

constexpr uint32_t kSampleRate = 44100;
constexpr uint32_t kSamplesPerFrame = kSampleRate / 60;

struct RunResult {
    uint32_t frames = 0;
    double seconds = 0.0;          // time spent running frames
    std::vector<uint16_t> picture; // the last frame's visible 320x224 pixels
    std::vector<int16_t> sound;    // every sample, left and right interleaved
};

enum RunStatus { kRunOk = 0, kRunFailed = 1, kRunLoadFailed = 2 };

// Loads a ROM file the way the front end's Load rom does: a name ending in
// "zip" loads the first ROM entry (names ending in "bin" or "smd", in
// ascending order), anything else loadRomFile. 0 on success; else `error`
// holds the reason when the machine did not report one itself.
int loadLikeTheFrontEnd(Machine& machine, const std::string& path, std::string& error);

// Boots the Mega-CD with the BIOS file as the BIOS of the machine's country
// (of all three in autodetect) through bootMegaCd. 0 on success; else the
// machine has reported why.
int bootWithBios(Machine& machine, const std::string& path);

// Sets the BIOS paths of the options: `bios` for the machine's country (for
// all three in autodetect), then each country's own.
void setBiosPaths(Machine& machine, const Options& options);

// Opens the disc image and boots it the way the menu does
// (Machine::loadCdImage). 0 when the Mega-CD runs; else the machine has
// reported why (the image, or the BIOS of its country).
int bootDisc(Machine& machine, const Options& options);

// Builds a machine, loads the ROM, boots the BIOS or the disc, and runs the
// frames.
RunStatus run(const Options& options, RunResult& result, std::string& error);

// Runs the frames on a machine that holds its ROM already.
void runFrames(Machine& machine, const Options& options, RunResult& result);

// The one line vimo-headless prints.
std::string summaryLine(const RunResult& result);

}  // namespace vimo::headless
