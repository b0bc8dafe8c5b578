#include "data/Cp1252.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace {

// Bytes 0x80..0x9F; the rest of Windows-1252 is Latin-1. 0 marks an
// undefined byte.
constexpr std::array<char32_t, 32> HighControls = {
    0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0, 0x017D, 0,
    0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178,
};

void AppendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | c >> 6);
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {  // Windows-1252 reaches no further than three bytes
        out += static_cast<char>(0xE0 | c >> 12);
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// The character starting at text[pos], advancing pos; none for bytes that
// are not UTF-8 (overlong forms and surrogates included).
std::optional<char32_t> NextUtf8(std::string_view text, std::size_t& pos)
{
    const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(text[i]); };
    const std::uint8_t lead = byte(pos);
    const int length = lead < 0x80 ? 1 : lead < 0xC2 ? 0 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : lead < 0xF5 ? 4 : 0;
    if (length == 0 || pos + length > text.size())
        return std::nullopt;
    char32_t c = length == 1 ? lead : lead & (0x7F >> length);
    for (int i = 1; i < length; ++i) {
        if ((byte(pos + i) & 0xC0) != 0x80)
            return std::nullopt;
        c = c << 6 | (byte(pos + i) & 0x3F);
    }
    constexpr char32_t Smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < Smallest[length] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return std::nullopt;
    pos += length;
    return c;
}

}  // namespace

char32_t CodePointOfCp1252(unsigned char byte)
{
    if (byte >= 0x80 && byte <= 0x9F && HighControls[byte - 0x80] != 0)
        return HighControls[byte - 0x80];
    return byte;
}

std::optional<unsigned char> Cp1252OfCodePoint(char32_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return static_cast<unsigned char>(c);
    for (unsigned i = 0; i < HighControls.size(); ++i)
        if ((HighControls[i] != 0 ? HighControls[i] : 0x80 + i) == c)
            return static_cast<unsigned char>(0x80 + i);
    return std::nullopt;
}

std::string Cp1252ToUtf8(std::string_view bytes)
{
    std::string text;
    AppendCp1252AsUtf8(text, bytes);
    return text;
}

void AppendCp1252AsUtf8(std::string& text, std::string_view bytes)
{
    if (std::ranges::all_of(bytes, [](char b) { return static_cast<unsigned char>(b) < 0x80; })) {
        text += bytes;  // the common case: ASCII is the same in both
        return;
    }
    for (char b : bytes)
        AppendUtf8(text, CodePointOfCp1252(static_cast<unsigned char>(b)));
}

std::optional<std::string> Utf8ToCp1252(std::string_view text)
{
    std::string bytes;
    for (std::size_t pos = 0; pos < text.size();) {
        const auto c = NextUtf8(text, pos);
        const auto b = c ? Cp1252OfCodePoint(*c) : std::nullopt;
        if (!b)
            return std::nullopt;
        bytes += static_cast<char>(*b);
    }
    return bytes;
}

bool IsUtf8(std::string_view text)
{
    for (std::size_t pos = 0; pos < text.size();)
        if (!NextUtf8(text, pos))
            return false;
    return true;
}
