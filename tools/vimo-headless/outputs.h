// What vimo-headless writes: the visible picture as PNG, the sound as WAV,
// and the checksums it prints.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "vdp/frame_buffer.h"

namespace vimo::headless {

constexpr uint32_t kVisibleWidth = 320;
constexpr uint32_t kVisibleHeight = 224;

// The 320x224 visible picture of an RGB565 surface (row n + 8, from column 8).
std::vector<uint16_t> visiblePicture(const FrameBufferDesc& frame);

// CRC-32 of the pixels as little-endian 16-bit values, row after row.
uint32_t pictureCrc(std::span<const uint16_t> picture);
// CRC-32 of interleaved 16-bit samples as little-endian bytes (the WAV data).
uint32_t soundCrc(std::span<const int16_t> samples);

// 0 on success, 1 when the file cannot be written.
int writePng(const std::string& path, std::span<const uint16_t> picture);
int writeWav(const std::string& path, std::span<const int16_t> interleaved, uint32_t sampleRate);

}  // namespace vimo::headless
