#include "cli/output.h"

#include <nlohmann/json.hpp>

#include "browser/text_encoding.h"

namespace zelvo::cli {

Output& Output::operator<<(std::string_view text) {
    stream_ << EscapedText(text);
    return *this;
}

Output& Output::operator<<(MultiLineText text) {
    stream_ << EscapedText(text.text, U"\t\r\n");
    return *this;
}

Output& Output::operator<<(Break b) {
    stream_ << static_cast<char>(b);
    return *this;
}

void Output::Row(const std::vector<std::string>& cells) {
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (i > 0) *this << kTab;
        *this << cells[i];
    }
    *this << kNewLine;
}

void Output::Json(const nlohmann::json& value) {
    stream_ << value.dump(2) << '\n';
}

}  // namespace zelvo::cli
