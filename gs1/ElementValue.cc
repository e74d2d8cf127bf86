#include "gs1/ElementValue.h"

#include <array>
#include <cstdio>

#include "base/Calendar.h"
#include "gs1/Gs1Texts.h"

namespace viruzedi {

namespace {

using CharacterTable = std::array<bool, 256>;

constexpr CharacterTable TableOf(std::string_view characters) {
  CharacterTable table{};
  for (char c : characters) table[static_cast<unsigned char>(c)] = true;
  return table;
}

constexpr char kDigitCharacters[] = "0123456789";
constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
constexpr char kCapitals[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";

constexpr CharacterTable Join(CharacterTable a, const CharacterTable& b) {
  for (size_t i = 0; i < a.size(); ++i) a[i] = a[i] || b[i];
  return a;
}

constexpr CharacterTable kDigitsTable = TableOf(kDigitCharacters);
constexpr CharacterTable kSet82Table = Join(
    Join(kDigitsTable, TableOf(kLetters)), TableOf("!\"%&'()*+,-./:;<=>?_"));
constexpr CharacterTable kSet39Table = Join(Join(kDigitsTable, TableOf(kCapitals)), TableOf("#-/"));
constexpr CharacterTable kSet64Table = Join(Join(kDigitsTable, TableOf(kLetters)), TableOf("-_"));

const CharacterTable& TableFor(Gs1Characters characters) {
  switch (characters) {
    case Gs1Characters::kDigits: return kDigitsTable;
    case Gs1Characters::kSet82: return kSet82Table;
    case Gs1Characters::kSet39: return kSet39Table;
    case Gs1Characters::kSet64: return kSet64Table;
  }
  return kDigitsTable;
}

const char* SetName(Gs1Characters characters) {
  switch (characters) {
    case Gs1Characters::kDigits: return kSoloCifre;
    case Gs1Characters::kSet82: return kSoloSet82;
    case Gs1Characters::kSet39: return kSoloSet39;
    case Gs1Characters::kSet64: return kSoloSet64;
  }
  return "";
}

// The position of the first character of `piece` outside `characters`, or
// npos. Base64 ends with up to two "=" of padding.
size_t FirstOutside(std::string_view piece, Gs1Characters characters) {
  if (characters == Gs1Characters::kSet64) {
    const size_t padding = piece.find_last_not_of('=') + 1;
    if (piece.size() - padding <= 2) piece = piece.substr(0, padding);
  }
  const CharacterTable& allowed = TableFor(characters);
  for (size_t i = 0; i < piece.size(); ++i) {
    if (!allowed[static_cast<unsigned char>(piece[i])]) return i;
  }
  return std::string_view::npos;
}

// The character at `at` as a person can read it in a message: in «»,
// with the rest of its UTF-8 sequence; a control character by its code.
std::string ShownCharacter(std::string_view text, size_t at) {
  const unsigned char c = static_cast<unsigned char>(text[at]);
  if (c < 0x20 || c == 0x7F) {
    char code[8];
    std::snprintf(code, sizeof code, "0x%02X", c);
    return code;
  }
  size_t end = at + 1;
  while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) ++end;
  return "«" + std::string(text.substr(at, end - at)) + "»";
}

int TwoDigits(std::string_view text, size_t at) {
  return (text[at] - '0') * 10 + (text[at + 1] - '0');
}

bool IsDayOf(int year, int month, int day, bool dayZero) {
  if (month < 1 || month > 12) return false;
  return day >= (dayZero ? 0 : 1) && day <= DaysInMonth(year, month);
}

// Why `piece` (of the right length and characters) fails its part's check.
std::string CheckRefusal(std::string_view piece, Gs1Check check) {
  switch (check) {
    case Gs1Check::kNone: return "";
    case Gs1Check::kCheckDigit: {
      const char expected = Gs1CheckDigit(piece.substr(0, piece.size() - 1));
      if (piece.back() == expected) return "";
      return std::string(kCifraDiControllo) + piece.back() + kErrataAttesa + expected;
    }
    case Gs1Check::kDateDay0:
    case Gs1Check::kDate:
      if (IsGs1Date(piece, check == Gs1Check::kDateDay0)) return "";
      break;
    case Gs1Check::kLongDate:
      if (IsDayOf(TwoDigits(piece, 0) * 100 + TwoDigits(piece, 2), TwoDigits(piece, 4),
                  TwoDigits(piece, 6), false)) {
        return "";
      }
      break;
  }
  return std::string(kDataImpossibile) + std::string(piece);
}

std::string LengthRefusal(const Gs1Identifier& identifier, size_t length) {
  if (length == 0) return kValoreVuoto;
  const std::string given = kLunghezza + std::to_string(length);
  if (identifier.FixedLength()) return given + kInveceDi + std::to_string(identifier.MaxLength());
  if (length > identifier.MaxLength() && identifier.MinLength() <= 1) {
    return given + kAlMassimo + std::to_string(identifier.MaxLength());
  }
  return given + kAttesaDa + std::to_string(identifier.MinLength()) + kFinoA +
         std::to_string(identifier.MaxLength());
}

// The refusal of the value's parts in turn, "" when every part passes:
// each fixed part takes its length, the last part what is left.
std::string PartsRefusal(const Gs1Identifier& identifier, std::string_view value) {
  size_t offset = 0;
  for (const Gs1Part& part : identifier.Parts()) {
    if (offset == value.size() && part.optional) break;
    const size_t left = value.size() - offset;
    const size_t length = part.minLength == part.maxLength ? part.maxLength : left;
    if (left < length || length < part.minLength || length > part.maxLength) {
      return LengthRefusal(identifier, value.size());
    }
    const std::string_view piece = value.substr(offset, length);
    const size_t outside = FirstOutside(piece, part.characters);
    if (outside != std::string_view::npos) {
      return kCarattereNonAmmesso + ShownCharacter(value, offset + outside) +
             SetName(part.characters);
    }
    std::string refusal = CheckRefusal(piece, part.check);
    if (!refusal.empty()) return refusal;
    offset += length;
  }
  if (offset != value.size()) return LengthRefusal(identifier, value.size());
  return "";
}

}  // namespace

char Gs1CheckDigit(std::string_view digits) {
  // Weights 3 and 1 in turn from the digit before the check digit.
  int sum = 0;
  int weight = 3;
  for (auto c = digits.rbegin(); c != digits.rend(); ++c) {
    sum += (*c - '0') * weight;
    weight = 4 - weight;
  }
  return static_cast<char>('0' + (10 - sum % 10) % 10);
}

bool IsGs1Date(std::string_view date, bool dayZero) {
  return IsDayOf(2000 + TwoDigits(date, 0), TwoDigits(date, 2), TwoDigits(date, 4), dayZero);
}

std::string Gs1ValueRefusal(std::string_view ai, const Gs1Identifier& identifier,
                            std::string_view value) {
  std::string refusal;
  if (value.size() < identifier.MinLength() || value.size() > identifier.MaxLength()) {
    refusal = LengthRefusal(identifier, value.size());
  } else {
    refusal = PartsRefusal(identifier, value);
  }
  if (refusal.empty()) return refusal;
  return "(" + std::string(ai) + "): " + refusal;
}

}  // namespace viruzedi
