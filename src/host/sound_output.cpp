#include "host/sound_output.h"

#include <cstring>

#include "host/com_release.h"
namespace vimo {

uint32_t soundOn = 1;
uint32_t soundRate = 44100;
uint32_t soundStereo = 1;
uint32_t soundBits = 16;
uint32_t samplesPerFrame = 0;
IDirectSound8* soundDevice = nullptr;
IDirectSoundBuffer* soundBufferBase = nullptr;
IDirectSoundBuffer8* soundBuffer = nullptr;

namespace {

SoundFormat currentFormat{};

int32_t soundOff() {
    soundOn = 0;
    return 1;
}

WAVEFORMATEX waveFormat(const SoundFormat& format) {
    WAVEFORMATEX wave{};
    wave.wFormatTag = WAVE_FORMAT_PCM;
    wave.nChannels = static_cast<WORD>(format.channels);
    wave.nSamplesPerSec = format.playRate;
    wave.wBitsPerSample = static_cast<WORD>(format.bitsPerSample);
    wave.nBlockAlign = static_cast<WORD>(format.blockAlign);
    wave.nAvgBytesPerSec = format.bytesPerSecond;
    return wave;
}

int32_t makeBuffer() {
    if (soundDevice == nullptr) return soundOff();
    currentFormat = soundFormatFor(soundRate, soundBits, soundStereo);
    samplesPerFrame = currentFormat.samplesPerFrame;
    WAVEFORMATEX wave = waveFormat(currentFormat);
    DSBUFFERDESC description{};
    description.dwSize = sizeof description;
    description.dwFlags = DSBCAPS_CTRLFREQUENCY;
    description.dwBufferBytes = currentFormat.bufferBytes;
    description.lpwfxFormat = &wave;
    description.guid3DAlgorithm = GUID_NULL;
    if (FAILED(soundDevice->CreateSoundBuffer(&description, &soundBufferBase, nullptr))) {
        soundBufferBase = nullptr;
        return soundOff();
    }
    if (FAILED(soundBufferBase->QueryInterface(IID_IDirectSoundBuffer8, reinterpret_cast<void**>(&soundBuffer)))) {
        soundBuffer = nullptr;
        return soundOff();
    }
    if (FAILED(soundBuffer->Play(0, 0, DSBPLAY_LOOPING))) return soundOff();
    soundOn = 1;
    return 0;
}

// Locks `bytes` at `offset`, restoring a lost buffer once.
HRESULT lockBuffer(DWORD offset, DWORD bytes, void** part, DWORD* partBytes) {
    HRESULT result = soundBuffer->Lock(offset, bytes, part, partBytes, nullptr, nullptr, 0);
    if (result == DSERR_BUFFERLOST) {
        soundBuffer->Restore();
        result = soundBuffer->Lock(offset, bytes, part, partBytes, nullptr, nullptr, 0);
    }
    return result;
}

}  // namespace

int32_t initSound(HWND window) {
    if (FAILED(DirectSoundCreate8(nullptr, &soundDevice, nullptr))) {
        soundDevice = nullptr;
        return soundOff();
    }
    if (FAILED(soundDevice->SetCooperativeLevel(window, DSSCL_EXCLUSIVE)) &&
        FAILED(soundDevice->SetCooperativeLevel(window, DSSCL_NORMAL))) {
        return soundOff();
    }
    return makeBuffer();
}

int32_t recreateSoundBuffer() {
    releaseObject(soundBufferBase);
    releaseObject(soundBuffer);
    return makeBuffer();
}

void releaseSound() {
    releaseObject(soundBufferBase);
    releaseObject(soundBuffer);
    releaseObject(soundDevice);
}

int32_t silenceSoundBuffer() {
    if (soundBuffer == nullptr) return 0;
    void* part = nullptr;
    DWORD partBytes = 0;
    if (FAILED(soundBuffer->Lock(0, currentFormat.bufferBytes, &part, &partBytes, nullptr, nullptr, 0))) return 0;
    if (partBytes >= currentFormat.bufferBytes) std::memset(part, silenceByte(currentFormat), partBytes);
    soundBuffer->Unlock(part, partBytes, nullptr, 0);
    return 0;
}

int32_t writeSoundSegment(const SoundFrameDesc* frame, uint32_t segment) {
    if (soundOn == 0 || soundBuffer == nullptr) return 1;
    void* part = nullptr;
    DWORD partBytes = 0;
    const DWORD offset = currentFormat.segmentBytes * (segment & (kSoundSegmentCount - 1));
    if (FAILED(lockBuffer(offset, currentFormat.segmentBytes, &part, &partBytes))) return 1;
    if (frame != nullptr && frame->left != nullptr && frame->right != nullptr) {
        uint32_t count = currentFormat.samplesPerFrame;
        if (count * currentFormat.blockAlign > partBytes) count = partBytes / currentFormat.blockAlign;
        convertSegment(frame->left, frame->right, count, currentFormat, static_cast<uint8_t*>(part));
    }
    soundBuffer->Unlock(part, partBytes, nullptr, 0);
    return 0;
}

uint32_t playSegment() {
    if (soundBuffer == nullptr) return 0;
    DWORD play = 0;
    DWORD write = 0;
    if (FAILED(soundBuffer->GetCurrentPosition(&play, &write))) return 0;
    return segmentOf(play, currentFormat);
}

bool soundPlaying() {
    return soundOn != 0 && soundBuffer != nullptr;
}

}  // namespace vimo
