#pragma once

#include <QString>
#include <optional>
#include <string>
#include <string_view>

// The game's texts are Windows-1252 bytes; the windows show QStrings.

QString FromCp1252(std::string_view bytes);
// Characters Windows-1252 cannot hold become '?'; callers that must not
// lose any check IsCp1252 first.
std::string ToCp1252(const QString& text);
bool IsCp1252(QChar c);

// The program's own ASCII texts (labels, class and country names); none
// gives an empty text.
QString Latin1(std::optional<std::string_view> text);
