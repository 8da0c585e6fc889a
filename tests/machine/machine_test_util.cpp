#include "machine_test_util.h"

#include <atomic>
#include <cstdio>
#include <fstream>
#include <stdexcept>

#include <unistd.h>

#include <gtest/gtest.h>
#include <zip.h>

namespace vimo::test {

ReportRecorder* ReportRecorder::active = nullptr;

ReportRecorder::ReportRecorder() {
    active = this;
    errorBoxesEnabled = 1;
    ReportSink sink;
    sink.errorBox = [](const char* text) { active->errors.emplace_back(text); };
    sink.romInfoBox = [](const char* text) { active->romInfo.emplace_back(text); };
    sink.statusText = [](const char* text) { active->statusTexts.emplace_back(text); };
    sink.statusLamps = [](uint8_t bits) { active->lamps.push_back(bits); };
    installReportSink(&sink);
}

ReportRecorder::~ReportRecorder() {
    installReportSink(nullptr);
    errorBoxesEnabled = 1;
    active = nullptr;
}

void ReportRecorder::clear() {
    errors.clear();
    romInfo.clear();
    statusTexts.clear();
    lamps.clear();
}

ScratchFolder::ScratchFolder() {
    static std::atomic<int> counter{0};
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    // Unique per process and per folder, so parallel test runs never meet.
    std::string name = "vimo_machine_";
    if (info != nullptr) name.append(info->test_suite_name()).append("_").append(info->name());
    for (char& c : name)
        if (c == '/') c = '_';
    name.append("_").append(std::to_string(getpid())).append("_").append(std::to_string(counter++));
    root = std::filesystem::temp_directory_path() / name;
    std::filesystem::remove_all(root);
    std::filesystem::create_directories(root);
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
}

std::string ScratchFolder::write(const std::string& name, std::span<const uint8_t> bytes) const {
    const auto full = path(name);
    std::ofstream out(full, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + full.string());
    return full.string();
}

std::vector<uint8_t> readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeZip(const std::filesystem::path& path, const std::vector<ZipEntry>& entries) {
    zipFile zip = zipOpen(path.string().c_str(), APPEND_STATUS_CREATE);
    if (zip == nullptr) throw std::runtime_error("cannot create " + path.string());
    for (const ZipEntry& entry : entries) {
        zip_fileinfo info{};
        if (zipOpenNewFileInZip(zip, entry.name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr,
                                Z_DEFLATED, Z_DEFAULT_COMPRESSION) != ZIP_OK ||
            zipWriteInFileInZip(zip, entry.data.data(), static_cast<unsigned>(entry.data.size())) !=
                ZIP_OK ||
            zipCloseFileInZip(zip) != ZIP_OK) {
            zipClose(zip, nullptr);
            throw std::runtime_error("cannot write entry " + entry.name);
        }
    }
    if (zipClose(zip, nullptr) != ZIP_OK) throw std::runtime_error("cannot close " + path.string());
}

std::vector<uint8_t> makeSmd(std::span<const uint8_t> image, size_t trailing) {
    constexpr size_t kBlock = 16384;
    constexpr size_t kHalf = kBlock / 2;
    std::vector<uint8_t> file(512, 0xAA);
    for (size_t block = 0; block * kBlock < image.size(); ++block) {
        const uint8_t* natural = image.data() + block * kBlock;
        for (size_t i = 0; i < kHalf; ++i) file.push_back(natural[2 * i + 1]);
        for (size_t i = 0; i < kHalf; ++i) file.push_back(natural[2 * i]);
    }
    for (size_t i = 0; i < trailing; ++i) file.push_back(static_cast<uint8_t>(0x5A ^ i));
    return file;
}

std::vector<uint8_t> patternImage(size_t size) {
    std::vector<uint8_t> image(size);
    for (size_t i = 0; i < size; ++i)
        image[i] = static_cast<uint8_t>((i * 7) ^ (i >> 8) ^ (i >> 19) * 0x35);
    return image;
}

std::unique_ptr<Machine> makeMachine() {
    return std::make_unique<Machine>();
}

int32_t loadImage(Machine& machine, const ScratchFolder& folder, std::span<const uint8_t> image,
                  const std::string& name) {
    return machine.loadRomFile(folder.write(name, image).c_str());
}

uint8_t ramByte(const Machine& machine, uint32_t address) {
    return machine.ram[(address & 0xFFFF) ^ 1];
}

uint16_t ramWord(const Machine& machine, uint32_t address) {
    return static_cast<uint16_t>((ramByte(machine, address) << 8) | ramByte(machine, address + 1));
}

uint32_t ramLong(const Machine& machine, uint32_t address) {
    return (static_cast<uint32_t>(ramWord(machine, address)) << 16) | ramWord(machine, address + 2);
}

void setRamByte(Machine& machine, uint32_t address, uint8_t value) {
    machine.ram[(address & 0xFFFF) ^ 1] = value;
}

}  // namespace vimo::test
