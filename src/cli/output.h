// SPDX-License-Identifier: GPL-3.0-or-later
// Where every command writes its text. Each text it is given, a name, a path
// or a message, is shown by one rule (EscapedText): UTF-8 when valid, else
// Latin-1, and every control character as \xNN, so a text never adds a line
// or a column and never reaches the terminal as an escape sequence. Lines and
// columns come from kNewLine and kTab alone; MultiLineText and JSON are the
// two texts that keep their own.
#pragma once

#include <nlohmann/json_fwd.hpp>

#include <concepts>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace zelvo::cli {

enum class Break : char { kTab = '\t', kNewLine = '\n' };
inline constexpr Break kTab = Break::kTab;
inline constexpr Break kNewLine = Break::kNewLine;

// A text with lines and columns of its own, as INFO comments have: its TABs,
// CRs and LFs are kept.
struct MultiLineText {
    std::string_view text;
};

// Written as std::ostream writes them; a char is a text of one character.
template <typename T>
concept Number = (std::integral<T> && sizeof(T) > 1) || std::floating_point<T>;

class Output {
public:
    explicit Output(std::ostream& stream) : stream_(stream) {}

    Output& operator<<(std::string_view text);
    Output& operator<<(char c) { return *this << std::string_view(&c, 1); }
    Output& operator<<(MultiLineText text);
    Output& operator<<(Break b);
    Output& operator<<(Number auto number) {
        stream_ << number;
        return Checked();
    }

    // One line of cells, TAB-separated.
    void Row(const std::vector<std::string>& cells);
    // JSON with its own escapes, indented, then LF.
    void Json(const nlohmann::json& value);

    // Flushes; the system's reason when the stream failed, here or at the
    // first write that failed, else 0. Returns whether all was written.
    bool Flush(int& reason);

private:
    Output& Checked();

    std::ostream& stream_;
    int reason_ = 0;  // errno of the first write that failed
};

}  // namespace zelvo::cli
