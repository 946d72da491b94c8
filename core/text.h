#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace csv2sql {

// Removes leading and trailing space characters (not tabs).
std::string_view trimSpaces(std::string_view text);
// Removes leading and trailing spaces and tabs.
std::string_view trimBlanks(std::string_view text);

// ASCII digits only, whatever the locale: numbers and dates are read so. Inline: the readers
// ask it of every character.
constexpr bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

// ASCII letters only, whatever the locale: names, keys and file extensions are matched so.
char asciiUpper(char c);
char asciiLower(char c);
std::string asciiLowerCase(std::string_view text);
bool equalsIgnoreCase(std::string_view a, std::string_view b);
bool endsWithIgnoreCase(std::string_view text, std::string_view tail);

// A cell as a log line echoes it: whole up to kEchoedCellBytes bytes; a longer one is cut there
// (back to the start of a UTF-8 sequence) and marked "...(cut, n bytes in all)", so one bad
// cell cannot make a log line of megabytes. bytesInAll: the cell's length, where `text` is only
// its beginning (of a line too long to be held whole).
constexpr std::size_t kEchoedCellBytes = 300;
std::string echoedCell(std::string_view text);
std::string echoedCell(std::string_view text, std::uint64_t bytesInAll);

// The text between open and close, each close inside doubled: "a\"b" -> "\"a\"\"b\"",
// "x]y" -> "[x]]y]".
std::string enclosed(std::string_view text, char open, char close);

// The numeric test: apart from spaces around it, the text is a decimal number with an
// optional sign, fraction and exponent ("12", " -1.5 ", "2e3", ".5", "5."). Allocates nothing.
std::optional<double> parseNumber(std::string_view text);
bool isNumeric(std::string_view text);

// A number converted by the numeric test's rules; error 13 when the text is no number.
double toDouble(std::string_view text);

// Whole-number conversions: round to nearest, a half to the even neighbour (2.5 -> 2,
// 3.5 -> 4). Error 13 for a text that is no number, error 6 when out of range.
std::int16_t toInt16(std::string_view text);
std::int32_t toInt32(std::string_view text);
std::int16_t roundToInt16(double value);
std::int32_t roundToInt32(double value);

// The number at the start of a text: blanks, tabs and line feeds anywhere are ignored, the
// number ends at the first character that cannot continue it, "." is always the decimal
// separator, a sign and an exponent are allowed; 0 when the text does not begin with one.
double leadingNumber(std::string_view text);

}  // namespace csv2sql
