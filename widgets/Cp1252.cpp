#include "widgets/Cp1252.h"

#include <array>

namespace {

// Bytes 0x80..0x9F; the rest of Windows-1252 is Latin-1. 0 marks the five
// bytes the code page leaves undefined, kept as the C1 control of the same
// number so that every byte survives a round trip.
constexpr std::array<char16_t, 32> HighControls = {
    0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0, 0x017D, 0,
    0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178,
};

QChar FromByte(unsigned char b)
{
    if (b >= 0x80 && b <= 0x9F && HighControls[b - 0x80] != 0)
        return QChar(HighControls[b - 0x80]);
    return QChar(b);
}

int ToByte(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return u;
    for (int i = 0; i < 32; ++i) {
        const char16_t mapped = HighControls[i] != 0 ? HighControls[i] : char16_t(0x80 + i);
        if (mapped == u)
            return 0x80 + i;
    }
    return -1;
}

}  // namespace

QString FromCp1252(std::string_view bytes)
{
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size()));
    for (char b : bytes)
        text.append(FromByte(static_cast<unsigned char>(b)));
    return text;
}

bool IsCp1252(QChar c)
{
    return ToByte(c) >= 0;
}

std::string ToCp1252(const QString& text)
{
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(text.size()));
    for (QChar c : text) {
        const int b = ToByte(c);
        bytes.push_back(static_cast<char>(b >= 0 ? b : '?'));
    }
    return bytes;
}
