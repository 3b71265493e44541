// SPDX-License-Identifier: GPL-3.0-or-later
// What the detail list shows for the selected tree node: columns and rows,
// worked out from the node's key and the model without any widget.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "soundfont/model.h"

namespace zelvo {

enum class Alignment { Left, Right };

struct DetailColumn {
    std::string title;
    int width = 0;  // twips
    Alignment alignment = Alignment::Left;
};

// The first column's text, then one text per further column. Texts are
// 8-bit characters, one per file byte, cut at their first NUL; a cell that
// cannot be produced is empty.
struct DetailRow {
    std::vector<std::string> cells;
};

struct NodeDetails {
    std::vector<DetailColumn> columns;
    std::vector<DetailRow> rows;
};

// Empty for no selection and for nodes without a view (the file, the
// instruments). Records the key names but the model lacks are left out.
NodeDetails BuildNodeDetails(std::optional<std::string_view> key, const SoundFontModel& model);

// The first column of the sample view: "mono", "right", "left", "link",
// "ROM", or empty for any other type.
std::string SampleTypeWord(std::uint16_t sampleType);

}  // namespace zelvo
