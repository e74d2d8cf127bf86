// GS1's application identifiers as data: what value each one takes, how
// long, of which characters, and the checks its definition gives. The
// table itself is ApplicationIdentifiers.cc; the parsers look it up here.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace viruzedi {

// The characters a part of a value may hold.
enum class Gs1Characters : uint8_t {
  kDigits,  // 0-9
  kSet82,   // GS1's 82 characters: letters, digits and !"%&'()*+,-./:;<=>?_
  kSet39,   // GS1's 39 characters: capital letters, digits and #-/
  kSet64,   // the file-safe base64 alphabet, "=" padding at the end
};

// The check a part of a value must pass besides its characters.
enum class Gs1Check : uint8_t {
  kNone,
  kCheckDigit,  // the last digit is the mod-10 check digit of the others
  kDateDay0,    // YYMMDD, where day 00 stands for the month's last day
  kDate,        // YYMMDD, a day of the calendar
  kLongDate,    // YYYYMMDD, a day of the calendar
};

// One part of a value: a fixed length (minLength == maxLength) or from
// minLength up to maxLength characters, which only the last part may be.
struct Gs1Part {
  Gs1Characters characters = Gs1Characters::kDigits;
  uint8_t minLength = 0;
  uint8_t maxLength = 0;  // 0: no part (the rest of the array)
  Gs1Check check = Gs1Check::kNone;
  // The value may end before this part (and then before every later one).
  bool optional = false;
};

// The definition of one AI or of a range of AIs that share it. Made at
// compile time, with the lengths every element's reading asks for.
class Gs1Identifier {
 public:
  // `identifiers`: "10", or a range "3100-3105" of AIs of one length.
  constexpr Gs1Identifier(std::string_view identifiers, std::array<Gs1Part, 5> parts)
      : identifiers_(identifiers), parts_(parts) {
    bool optionalSeen = false;
    for (const Gs1Part& part : parts_) {
      if (part.maxLength == 0) break;
      ++partCount_;
      optionalSeen = optionalSeen || part.optional;
      if (!optionalSeen) minLength_ += part.minLength;
      maxLength_ += part.maxLength;
    }
  }

  constexpr std::string_view Identifiers() const { return identifiers_; }
  // The parts in use.
  std::span<const Gs1Part> Parts() const { return {parts_.data(), partCount_}; }
  // Of a whole value: the parts before the first optional one.
  size_t MinLength() const { return minLength_; }
  // Of a whole value: every part.
  size_t MaxLength() const { return maxLength_; }
  // A value of one length only, whose end need not be marked.
  bool FixedLength() const { return minLength_ == maxLength_; }

 private:
  std::string_view identifiers_;
  std::array<Gs1Part, 5> parts_;
  size_t partCount_ = 0;
  size_t minLength_ = 0;
  size_t maxLength_ = 0;
};

// Every AI of the table, in its order.
std::span<const Gs1Identifier> Gs1Identifiers();

// The AI that `text` begins with: its definition, and its length (2 to 4)
// in `length`. Null when no AI of the table begins the text (fewer than
// the AI's digits included).
const Gs1Identifier* Gs1IdentifierAtStart(std::string_view text, size_t& length);

// The definition of exactly the AI `ai` ("10", "3103"); null for any other
// text.
const Gs1Identifier* FindGs1Identifier(std::string_view ai);

}  // namespace viruzedi
