// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/tune_units.h"

#include <algorithm>
#include <cmath>

namespace zelvo {

EntryTune EntryTuneFor(double cents) {
    EntryTune tune;
    tune.unclampedCoarse = 64 + static_cast<int>(std::lround(cents / kCoarseTuneCents));
    tune.coarse = std::clamp(tune.unclampedCoarse, 0, 127);
    const double rest = cents - (tune.coarse - 64) * kCoarseTuneCents;
    tune.fine = std::clamp(64 + static_cast<int>(std::lround(rest / kFineTuneCents)), 0, 127);
    return tune;
}

}  // namespace zelvo
