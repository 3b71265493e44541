// SPDX-License-Identifier: GPL-3.0-or-later
// The file names of `export --all`: a name given before comes back with
// " (2)", " (3)"... A counter per name keeps the cost of each name constant,
// however often it repeats.
#pragma once

#include <string>
#include <unordered_map>
#include <unordered_set>

namespace zelvo {

struct NameChoice {
    std::string name;
    int number = 1;  // 1 for the name itself, n for name + " (n)"
};

class UniqueNames {
public:
    // The first of name, name (2), name (3)... not taken yet.
    NameChoice Propose(const std::string& name) const;
    // Marks a proposal as used; one not taken can be proposed again.
    void Take(const std::string& name, const NameChoice& choice);

private:
    std::unordered_set<std::string> taken_;
    std::unordered_map<std::string, int> nextNumber_;  // by name: where the search resumes
};

}  // namespace zelvo
