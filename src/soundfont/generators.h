// SPDX-License-Identifier: GPL-3.0-or-later
// Generator numbers the load and the export interpret, and the signed
// reading of a generator's raw amount.
#pragma once

#include <cstdint>

namespace zelvo {

enum GeneratorNumber : int {
    kGenStartAddrsOffset = 0,
    kGenEndAddrsOffset = 1,
    kGenStartloopAddrsOffset = 2,
    kGenEndloopAddrsOffset = 3,
    kGenStartAddrsCoarseOffset = 4,
    kGenEndAddrsCoarseOffset = 12,
    kGenPan = 17,
    kGenInstrument = 41,
    kGenKeyRange = 43,
    kGenVelRange = 44,
    kGenStartloopAddrsCoarseOffset = 45,
    kGenKeynum = 46,
    kGenEndloopAddrsCoarseOffset = 50,
    kGenCoarseTune = 51,
    kGenFineTune = 52,
    kGenSampleId = 53,
    kGenSampleModes = 54,
    kGenScaleTuning = 56,
    kGenOverridingRootKey = 58,
};

// The eight generators that move a sample's start, end and loop points.
inline bool IsAddressOffset(int gen) {
    switch (gen) {
        case kGenStartAddrsOffset:
        case kGenEndAddrsOffset:
        case kGenStartloopAddrsOffset:
        case kGenEndloopAddrsOffset:
        case kGenStartAddrsCoarseOffset:
        case kGenEndAddrsCoarseOffset:
        case kGenStartloopAddrsCoarseOffset:
        case kGenEndloopAddrsCoarseOffset: return true;
        default: return false;
    }
}

// The signed reading of a raw 16-bit amount.
inline int SignedAmount(std::uint16_t amount) {
    return amount <= 32767 ? amount : amount - 65536;
}

}  // namespace zelvo
