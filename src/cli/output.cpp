// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/output.h"

#include <nlohmann/json.hpp>

#include <cerrno>

#include "browser/text_encoding.h"

namespace zelvo::cli {

Output& Output::Checked() {
    if (!stream_ && reason_ == 0) reason_ = errno;
    return *this;
}

Output& Output::operator<<(std::string_view text) {
    errno = 0;
    stream_ << EscapedText(text);
    return Checked();
}

Output& Output::operator<<(MultiLineText text) {
    errno = 0;
    stream_ << EscapedText(text.text, U"\t\r\n");
    return Checked();
}

Output& Output::operator<<(Break b) {
    errno = 0;
    stream_ << static_cast<char>(b);
    return Checked();
}

bool Output::Flush(int& reason) {
    if (stream_) {
        errno = 0;
        stream_.flush();
        Checked();
    }
    reason = reason_;
    return static_cast<bool>(stream_);
}

void Output::Row(const std::vector<std::string>& cells) {
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (i > 0) *this << kTab;
        *this << cells[i];
    }
    *this << kNewLine;
}

void Output::Json(const nlohmann::json& value) {
    errno = 0;
    stream_ << value.dump(2) << '\n';
    Checked();
}

}  // namespace zelvo::cli
