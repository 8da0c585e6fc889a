// The envelope generator's phase ends. A slot's counter runs towards the end
// of its phase by one step per sample; when it gets there the phase's handler
// sets up the next phase. The per-sample add and compare are in fm_update.cpp.
#include "sound/fm_synth.h"

namespace vimo::FmSynth {

namespace {

void enterPhase(FmSlot& slot, EnvelopePhase phase, int32_t counter, int32_t end, int32_t step) {
    slot.envelopePhase = phase;
    slot.envelopeCounter = counter;
    slot.envelopeEnd = end;
    slot.envelopeStep = step;
}

// The slot has faded out: it stays where it is, silent, until a key on (from
// the release phase) or a key off (from the sustain phase).
void goSilent(FmSlot& slot) {
    slot.envelopeCounter = kEnvelopeSilent;
    slot.envelopeEnd = kEnvelopeNeverEnds;
    slot.envelopeStep = 0;
}

void enterSsgDecay(FmSlot& slot) {
    enterPhase(slot, EnvelopePhase::SsgDecay, kEnvelopeDecayStart, kEnvelopeSilent, slot.firstDecayStep);
}

void enterSsgInverted(FmSlot& slot) {
    enterPhase(slot, EnvelopePhase::SsgInverted, slot.sustainLevel + 0x10000000, kEnvelopeInvertedEnd,
               slot.secondDecayStep);
}

constexpr uint8_t kSsgAttack = 0x04;     // start on the inverted part
constexpr uint8_t kSsgAlternate = 0x02;  // turn around at each end
constexpr uint8_t kSsgHold = 0x01;       // stop at the first end

}  // namespace

void endAttack(FmSlot& slot) {
    enterPhase(slot, EnvelopePhase::Decay, kEnvelopeDecayStart, slot.sustainLevel, slot.firstDecayStep);
}

void endDecay(FmSlot& slot) {
    enterPhase(slot, EnvelopePhase::Sustain, slot.sustainLevel, kEnvelopeSilent, slot.secondDecayStep);
}

void endSustain(FmSlot& slot) {
    goSilent(slot);
}

void endRelease(FmSlot& slot) {
    goSilent(slot);
}

void endSsgAttack(FmSlot& slot) {
    if ((slot.ssgEg & kSsgAttack) != 0)
        enterSsgInverted(slot);
    else
        enterSsgDecay(slot);
}

void endSsgDecay(FmSlot& slot) {
    if ((slot.ssgEg & kSsgAlternate) != 0)
        enterSsgInverted(slot);
    else
        slot.envelopeCounter = kEnvelopeDecayStart;
    if ((slot.ssgEg & kSsgHold) != 0) slot.envelopeStep = 0;
}

void endSsgInverted(FmSlot& slot) {
    if ((slot.ssgEg & kSsgAlternate) != 0)
        enterSsgDecay(slot);
    else
        slot.envelopeCounter = slot.sustainLevel + 0x10000000;
    if ((slot.ssgEg & kSsgHold) != 0) slot.envelopeStep = 0;
}

void endEnvelopePhase(FmSlot& slot) {
    switch (slot.envelopePhase) {
    case EnvelopePhase::Attack: endAttack(slot); break;
    case EnvelopePhase::Decay: endDecay(slot); break;
    case EnvelopePhase::Sustain: endSustain(slot); break;
    case EnvelopePhase::Release: endRelease(slot); break;
    case EnvelopePhase::SsgAttack: endSsgAttack(slot); break;
    case EnvelopePhase::SsgDecay: endSsgDecay(slot); break;
    case EnvelopePhase::SsgInverted: endSsgInverted(slot); break;
    }
}

}  // namespace vimo::FmSynth
