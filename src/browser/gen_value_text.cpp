// SPDX-License-Identifier: GPL-3.0-or-later
#include "browser/gen_value_text.h"

#include "browser/names.h"

namespace zelvo {
namespace {

template <typename Record, typename Name>
std::optional<std::string> RecordName(const std::vector<Record>& records, int linkNdx, Name name) {
    if (linkNdx < 1) return std::nullopt;
    return records[static_cast<std::size_t>(linkNdx)].*name;
}

}  // namespace

std::optional<std::string> GenValueText(const SoundFontModel& model, const sfGenList& g) {
    const int gen = g.sfGenOper;
    const std::uint16_t amount = g.genAmount;
    const int low = amount % 256;
    const int high = amount / 256;
    switch (gen) {
        case kGenPan:
        case kGenFineTune:
            return std::to_string(SignedAmount(amount));
        case kGenKeyRange:
            return *NoteName(low) + " - " + *NoteName(high) + " / " + std::to_string(low) + " - " +
                   std::to_string(high);
        case kGenInstrument:
            return RecordName(model.InstHeaders, g.linkNdx, &sfInst::achInstName);
        case kGenVelRange:
            return std::to_string(low) + " - " + std::to_string(high);
        case kGenSampleId:
            return RecordName(model.SampleHeaders, g.linkNdx, &sfSample::achSampleName);
        case kGenSampleModes:
            if (amount == 1 || amount == 2) return "FwdLp";
            if (amount == 3) return "FwdLpEx";
            return "FwdNoLp";
        case kGenOverridingRootKey:
            return *NoteName(amount) + " / " + std::to_string(amount);
        default:
            return std::to_string(amount);
    }
}

}  // namespace zelvo
