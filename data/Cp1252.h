#pragma once

#include <optional>
#include <string>
#include <string_view>

// The game's texts are Windows-1252 bytes. The five bytes the code page
// leaves undefined stand for the C1 control of the same number, so that
// every byte has a character and back.

char32_t CodePointOfCp1252(unsigned char byte);
// The byte of a character, or none for a character Windows-1252 cannot hold.
std::optional<unsigned char> Cp1252OfCodePoint(char32_t c);

std::string Cp1252ToUtf8(std::string_view bytes);
// Appends the UTF-8 of bytes to text, which keeps its room between calls.
void AppendCp1252AsUtf8(std::string& text, std::string_view bytes);
// None when the text is not UTF-8 or holds a character Windows-1252 cannot.
std::optional<std::string> Utf8ToCp1252(std::string_view text);
// Whether text is well-formed UTF-8.
bool IsUtf8(std::string_view text);
