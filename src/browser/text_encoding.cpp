#include "browser/text_encoding.h"

#include <optional>

namespace zelvo {
namespace {

// Bytes of the UTF-8 sequence that lead begins; 0 when no sequence can.
int SequenceLength(unsigned char lead) {
    if (lead < 0x80) return 1;
    if (lead < 0xC2) return 0;  // a continuation byte, or an overlong two-byte form
    if (lead < 0xE0) return 2;
    if (lead < 0xF0) return 3;
    return lead < 0xF5 ? 4 : 0;
}

// The characters of text when it is well-formed UTF-8 (no overlong forms,
// surrogates or values past U+10FFFF), else nothing.
std::optional<std::u32string> DecodeUtf8(std::string_view text) {
    std::u32string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const int length = SequenceLength(lead);
        if (length == 0 || text.size() - i < static_cast<std::size_t>(length)) return std::nullopt;
        char32_t c = length == 1 ? lead : lead & (0x7F >> length);
        for (int k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return std::nullopt;
            c = (c << 6) | (next & 0x3F);
        }
        static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (c < kSmallest[length] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
            return std::nullopt;
        }
        out += c;
        i += static_cast<std::size_t>(length);
    }
    return out;
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

std::string Latin1ToUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) AppendUtf8(out, static_cast<unsigned char>(c));
    return out;
}

std::u32string SoundFontCharacters(std::string_view text) {
    if (std::optional<std::u32string> utf8 = DecodeUtf8(text)) return std::move(*utf8);
    std::u32string latin1;
    latin1.reserve(text.size());
    for (const char c : text) latin1 += static_cast<unsigned char>(c);
    return latin1;
}

std::string ToUtf8(std::u32string_view characters) {
    std::string out;
    out.reserve(characters.size());
    for (const char32_t c : characters) AppendUtf8(out, c);
    return out;
}

std::string SoundFontTextToUtf8(std::string_view text) {
    return ToUtf8(SoundFontCharacters(text));
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
