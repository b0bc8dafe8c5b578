#include "widgets/Cp1252.h"

#include "data/Cp1252.h"

namespace {

int ToByte(QChar c)
{
    const auto b = Cp1252OfCodePoint(c.unicode());
    return b ? *b : -1;
}

}  // namespace

QString FromCp1252(std::string_view bytes)
{
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size()));
    for (char b : bytes)
        text.append(QChar(static_cast<char16_t>(CodePointOfCp1252(static_cast<unsigned char>(b)))));
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

QString Latin1(std::optional<std::string_view> text)
{
    return text ? QString::fromLatin1(text->data(), static_cast<qsizetype>(text->size())) : QString();
}
