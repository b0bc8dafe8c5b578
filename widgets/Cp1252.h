#pragma once

#include <QString>
#include <string>
#include <string_view>

// The game's texts are Windows-1252 bytes; the windows show QStrings.

QString FromCp1252(std::string_view bytes);
// Characters Windows-1252 cannot hold become '?'; callers that must not
// lose any check IsCp1252 first.
std::string ToCp1252(const QString& text);
bool IsCp1252(QChar c);
