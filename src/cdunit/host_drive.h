// The host's own CD-ROM drive, as the CD unit uses it while no image file is
// open. The unit asks it for the table of contents, data sectors, audio play,
// stop, pause and the current position, and nothing else.
//
// The portable core has no drive of its own: its drive is never there, so
// every request fails and sends nothing, and the unit keeps to its failure
// paths. A host that can reach a real drive plugs its own implementation in
// with CdUnit::setHostDrive.
#pragma once

#include <cstdint>

namespace vimo {

// A disc time: minute, second, frame (binary, not BCD).
struct CdMsf {
    uint8_t minute = 0;
    uint8_t second = 0;
    uint8_t frame = 0;

    bool operator==(const CdMsf&) const = default;
};

class HostCdDrive {
public:
    virtual ~HostCdDrive() = default;

    // Fills the table of contents (kTocSize bytes, the READ TOC format 0
    // answer with MSF addresses; the unit has cleared it). Returns 0 on
    // success, otherwise the drive's status.
    virtual uint32_t readToc(uint8_t* toc) = 0;
    // Reads the 2048 user-data bytes of drive block `block` (0 is the first
    // data block, the disc's 00:02:00). False when nothing was read.
    virtual bool readSector(uint32_t block, uint8_t* data) = 0;
    // Plays audio from m:s:f to the end of the disc; sets `track` to the
    // track that holds m:s:f. False when nothing was sent.
    virtual bool playAudio(CdMsf from, uint32_t& track) = 0;
    virtual void stopAudio() = 0;
    // Pauses the audio, or resumes it when `resume` is true.
    virtual void pauseAudio(bool resume) = 0;
    // The current track and the position within it. False when unknown.
    virtual bool readPosition(uint32_t& track, CdMsf& position) = 0;
};

// The drive of a host without one: nothing is ever sent.
class NoHostCdDrive final : public HostCdDrive {
public:
    uint32_t readToc(uint8_t* toc) override;
    bool readSector(uint32_t block, uint8_t* data) override;
    bool playAudio(CdMsf from, uint32_t& track) override;
    void stopAudio() override;
    void pauseAudio(bool resume) override;
    bool readPosition(uint32_t& track, CdMsf& position) override;

    // The one instance every unit starts with.
    static NoHostCdDrive instance;
};

}  // namespace vimo
