// SPDX-License-Identifier: GPL-3.0-or-later
#include "browser/text_encoding.h"

namespace zelvo {
namespace {

struct Utf8Character {
    char32_t value = 0;
    std::size_t length = 0;  // 0: text does not begin with a character
};

// The character text begins with. Overlong forms (C0 A9 for "©"),
// surrogates, code points past U+10FFFF and cut sequences are no UTF-8.
Utf8Character DecodeUtf8(std::string_view text) {
    const auto lead = static_cast<unsigned char>(text[0]);
    if (lead < 0x80) return {lead, 1};
    const std::size_t length = lead < 0xC0 ? 0 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : lead < 0xF8 ? 4 : 0;
    if (length == 0 || length > text.size()) return {};
    char32_t c = lead & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(text[k]);
        if ((next & 0xC0) != 0x80) return {};
        c = c << 6 | (next & 0x3F);
    }
    constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < kLeast[length] || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) return {};
    return {c, length};
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

}  // namespace

bool IsValidUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = DecodeUtf8(text.substr(i)).length;
        if (length == 0) return false;
        i += length;
    }
    return true;
}

std::u32string SoundFontCharacters(std::string_view text) {
    std::u32string characters;
    characters.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const Utf8Character c = DecodeUtf8(text.substr(i));
        if (c.length == 0) {  // Latin-1
            characters.clear();
            for (const char byte : text) characters += static_cast<unsigned char>(byte);
            return characters;
        }
        characters += c.value;
        i += c.length;
    }
    return characters;
}

std::string SoundFontTextToUtf8(std::string_view text) {
    return ToUtf8(SoundFontCharacters(text));
}

std::string ToUtf8(std::u32string_view characters) {
    std::string out;
    out.reserve(characters.size());
    for (const char32_t c : characters) AppendUtf8(out, c);
    return out;
}

bool IsControlCharacter(char32_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

std::string EscapedText(std::string_view text, std::u32string_view kept) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (const char32_t c : SoundFontCharacters(text)) {
        if (IsControlCharacter(c) && kept.find(c) == std::u32string_view::npos) {
            out += {'\\', 'x', kHex[c >> 4], kHex[c & 0xF]};
        } else {
            AppendUtf8(out, c);
        }
    }
    return out;
}

}  // namespace zelvo
