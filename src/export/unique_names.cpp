// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/unique_names.h"

namespace zelvo {

NameChoice UniqueNames::Propose(const std::string& name) const {
    if (!taken_.contains(name)) return {name, 1};
    const auto next = nextNumber_.find(name);
    NameChoice choice{{}, next == nextNumber_.end() ? 2 : next->second};
    // Names taken as they stand, such as an instrument called "Piano (2)",
    // are skipped once: the counter moves past them with Take.
    while (taken_.contains(choice.name = name + " (" + std::to_string(choice.number) + ")")) {
        ++choice.number;
    }
    return choice;
}

void UniqueNames::Take(const std::string& name, const NameChoice& choice) {
    taken_.insert(choice.name);
    if (choice.number > 1) nextNumber_[name] = choice.number + 1;
}

}  // namespace zelvo
