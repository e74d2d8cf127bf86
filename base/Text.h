// Letter case and blanks as the component's texts know them: ASCII only and
// independent of the workstation's locale, since the codes and replies that
// are compared ("$ROF", "ACK", "password=") are ASCII, and a locale that
// folds differently must not change what a line means.
#pragma once

#include <string>
#include <string_view>

namespace viruzedi {

// The letter in small or capital form; any other byte is returned as it is.
char LowerAscii(char c);
char UpperAscii(char c);
// The text with every ASCII capital letter made small; other bytes (accented
// letters in UTF-8 included) are kept.
std::string LowerAsciiText(std::string_view text);

// Text comparison and search without regard to letter case (ASCII letters).
bool EqualsIgnoreCase(std::string_view a, std::string_view b);
bool StartsWithIgnoreCase(std::string_view text, std::string_view prefix);
// Position (from 0) of the first occurrence, or npos.
size_t FindIgnoreCase(std::string_view text, std::string_view what);

// A blank inside a field: space or tab, what a number may have around it.
bool IsBlank(char c);
// White space between the words of a statement: a blank, CR or LF.
bool IsWhiteSpace(char c);
// Removes leading and trailing spaces (spaces only, as the classic Trim does:
// a tab is kept).
std::string_view TrimSpaces(std::string_view text);
// True when the line holds nothing but spaces (or nothing): a line that a
// device sent with no read in it. A tab makes the line not blank.
bool IsBlankLine(std::string_view line);

}  // namespace viruzedi
