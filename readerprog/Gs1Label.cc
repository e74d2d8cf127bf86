#include "readerprog/Gs1Label.h"

#include <algorithm>
#include <cstdint>

#include "base/AutomationError.h"
#include "base/Calendar.h"
#include "base/Conversions.h"
#include "database/Database.h"

namespace viruzedi {

namespace {

constexpr std::string_view kGtin = "(02)";
constexpr std::string_view kCount = "(37)";
constexpr std::string_view kBatch = "(10)";
constexpr std::string_view kBestBefore = "(15)";

// Text is UTF-8 here, while positions count characters: continuation bytes
// are not characters of their own.
bool IsContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

size_t CharacterCount(std::string_view text) {
  return static_cast<size_t>(
      std::count_if(text.begin(), text.end(), [](char c) { return !IsContinuationByte(c); }));
}

// The byte offset of character `index` (from 0); the text's size past its end.
size_t ByteOffset(std::string_view text, size_t index) {
  size_t offset = 0;
  for (size_t seen = 0; offset < text.size(); ++offset) {
    if (IsContinuationByte(text[offset])) continue;
    if (seen++ == index) return offset;
  }
  return text.size();
}

// Characters `start` (from 1) to `start + length - 1`, or fewer at the end.
std::string_view Mid(std::string_view text, size_t start, size_t length) {
  size_t from = ByteOffset(text, start - 1);
  size_t to = ByteOffset(text, start - 1 + length);
  return text.substr(from, to - from);
}

std::string_view MidToEnd(std::string_view text, size_t start) {
  return text.substr(ByteOffset(text, start - 1));
}

// Position (from 1) of the first occurrence held in 8 bits; 0 when absent.
uint8_t BytePosition(std::string_view text, std::string_view what) {
  size_t found = FindIgnoreCase(text, what);
  if (found == std::string_view::npos) return 0;
  size_t position = CharacterCount(text.substr(0, found)) + 1;
  if (position > 255) RaiseError(kOverflow);
  return static_cast<uint8_t>(position);
}

// The text after the identifier; with `upToNextBracket`, only the part
// before the next "(". An identifier that is absent counts as standing at
// position 0, so the text is taken from character 4 on.
std::string IdentifierValue(std::string_view field, std::string_view identifier,
                            bool upToNextBracket) {
  const uint8_t position = BytePosition(field, identifier);
  std::string_view rest = MidToEnd(field, position + 4u);
  if (!upToNextBracket) return std::string(rest);
  const uint8_t bracket = BytePosition(rest, "(");
  // Nothing follows the value to tell where it ends.
  if (bracket == 0) RaiseError(kInvalidArgument, "nessuna \"(\" dopo " + std::string(identifier));
  return std::string(Mid(rest, 1, bracket - 1u));
}

}  // namespace

bool HasAllGs1Identifiers(std::string_view elementString) {
  for (std::string_view identifier : {kGtin, kCount, kBatch, kBestBefore}) {
    if (FindIgnoreCase(elementString, identifier) == std::string_view::npos) return false;
  }
  return true;
}

CalendarDate Gs1Date(std::string_view value) {
  const int yy = TextToInteger(Mid(value, 1, 2));
  const int mm = TextToInteger(Mid(value, 3, 2));
  const int dd = TextToInteger(Mid(value, 5, 2));
  // From 31 December 1999: YY years, then MM - 1 months (landing on the
  // last day of month MM - 1, since December has 31 days), then DD days.
  // Day 00 stops one month further on, at the last day of month MM itself.
  return AddDays(AddMonths({1999 + yy, 12, 31}, dd == 0 ? mm : mm - 1), dd);
}

Gs1Label DecodeGs1Label(std::string_view elementString) {
  Gs1Label label;
  const std::string gtin = IdentifierValue(elementString, kGtin, true);
  label.NColli = IdentifierValue(elementString, kCount, true);
  label.LottoCodice = IdentifierValue(elementString, kBatch, false);
  const std::string bestBefore = IdentifierValue(elementString, kBestBefore, true);
  // For a 14-digit GTIN: the three digits before the check digit.
  label.Codart = std::string(Mid(gtin, 11, 3));
  label.Scadenza = Gs1Date(bestBefore);
  return label;
}

void AppendGs1Row(Recordset& records, const Gs1Label& label, const std::string& sscc) {
  records.AddNew();
  records.SetCollect("Codart", label.Codart);
  records.SetCollect("Data", label.Scadenza);
  records.SetCollect("NColli", label.NColli);
  records.SetCollect("Lotto_Codice", label.LottoCodice);
  records.SetCollect("Lotto_Scadenza", label.Scadenza);
  records.SetCollect("SSCC", sscc);
  records.Update();
}

}  // namespace viruzedi
