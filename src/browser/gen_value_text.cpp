#include "browser/gen_value_text.h"

#include "browser/names.h"

namespace zelvo {
namespace {

template <typename Record, typename Name>
std::optional<std::string> RecordName(const std::vector<Record>& records, std::uint16_t amount,
                                      Name name) {
    const std::size_t slot = static_cast<std::size_t>(amount) + 1;
    if (slot >= records.size()) return std::nullopt;
    return records[slot].*name;
}

}  // namespace

std::optional<std::string> GenValueText(const SoundFontModel& model, int gen, std::uint16_t amount) {
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
            return RecordName(model.InstHeaders, amount, &sfInst::achInstName);
        case kGenVelRange:
            return std::to_string(low) + " - " + std::to_string(high);
        case kGenSampleId:
            return RecordName(model.SampleHeaders, amount, &sfSample::achSampleName);
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
