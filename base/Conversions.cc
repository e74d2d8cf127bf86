#include "base/Conversions.h"

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <optional>

#include "base/Errors.h"

namespace viruzedi {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Whether an operation on doubles is rounded once, to a double: not where
// the old x87 unit computes with a longer mantissa and rounds twice, which
// the short ways below must then leave to the full reading.
constexpr bool kDoublesRoundOnce = FLT_EVAL_METHOD == 0;

// 10^k, every one exact in a double.
constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                   1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                   1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// The usual number of a file: an optional "-", digits and a decimal mark,
// nothing else (no blank, no exponent), and at most 15 digits. Its double is
// then one correctly rounded division of exact operands away, the very
// number the full reading gives.
bool ParseShortDecimal(std::string_view text, double& value) {
  if (!kDoublesRoundOnce) return false;
  size_t i = 0;
  const bool negative = !text.empty() && text[0] == '-';
  if (negative) i = 1;
  uint64_t mantissa = 0;
  int digits = 0;
  int decimals = 0;
  bool mark = false;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (IsDigit(c)) {
      if (++digits > 15) return false;
      mantissa = mantissa * 10 + static_cast<uint64_t>(c - '0');
      decimals += mark;
    } else if ((c == '.' || c == ',') && !mark) {
      mark = true;
    } else {
      return false;
    }
  }
  if (digits == 0) return false;
  value = static_cast<double>(mantissa) / kPowersOfTen[decimals];
  if (negative) value = -value;
  return true;
}

// The text of a number in the making: on the stack while it is as short as
// numbers are, which every field of every import is read through.
class NumberText {
 public:
  NumberText& operator+=(char c) {
    if (size_ < sizeof short_) {
      short_[size_] = c;
    } else {
      if (long_.empty()) long_.assign(short_, size_);
      long_ += c;
    }
    ++size_;
    return *this;
  }
  std::string_view view() const {
    return size_ <= sizeof short_ ? std::string_view(short_, size_) : std::string_view(long_);
  }

 private:
  char short_[64];
  size_t size_ = 0;
  std::string long_;
};

// Checks the number grammar and writes the text in the form from_chars
// reads ("." as decimal mark, no sign blanks). False when it is no number.
bool NormalizeNumber(std::string_view text, NumberText& normalized) {
  size_t i = 0, end = text.size();
  while (i < end && IsBlank(text[i])) ++i;
  while (end > i && IsBlank(text[end - 1])) --end;
  if (i < end && (text[i] == '+' || text[i] == '-')) {
    if (text[i] == '-') normalized += '-';
    ++i;
    while (i < end && IsBlank(text[i])) ++i;
  }
  size_t digits = 0;
  bool mark = false;
  for (; i < end; ++i) {
    char c = text[i];
    if (IsDigit(c)) {
      normalized += c;
      ++digits;
    } else if ((c == '.' || c == ',') && !mark) {
      normalized += '.';
      mark = true;
    } else {
      break;
    }
  }
  if (digits == 0) return false;
  if (i < end && (text[i] == 'e' || text[i] == 'E')) {
    normalized += 'e';
    ++i;
    if (i < end && (text[i] == '+' || text[i] == '-')) normalized += text[i++];
    size_t exponentDigits = 0;
    for (; i < end && IsDigit(text[i]); ++i, ++exponentDigits) normalized += text[i];
    if (exponentDigits == 0) return false;
  }
  return i == end;
}

// Whether a normalized number (sign, digits, ".", exponent) is below one in
// size: told by where its first significant digit stands, not by the sign of
// the exponent, since 1000...0e-1 with four hundred zeros is far too large.
bool BelowOne(std::string_view normalized) {
  const size_t e = normalized.find('e');
  const std::string_view mantissa = normalized.substr(0, e);
  int64_t exponent = 0;
  if (e != std::string_view::npos) {
    std::string_view digits = normalized.substr(e + 1);
    const bool negative = !digits.empty() && digits[0] == '-';
    if (!digits.empty() && (digits[0] == '-' || digits[0] == '+')) digits.remove_prefix(1);
    // Capped: an exponent past a billion decides the question alone.
    for (char c : digits) exponent = std::min<int64_t>(exponent * 10 + (c - '0'), 1000000000);
    if (negative) exponent = -exponent;
  }
  const size_t first = mantissa.find_first_of("123456789");
  if (first == std::string_view::npos) return true;  // zero
  const size_t mark = std::min(mantissa.find('.'), mantissa.size());
  // The power of ten of the first significant digit.
  const int64_t power =
      first < mark ? static_cast<int64_t>(mark - first) - 1 : -static_cast<int64_t>(first - mark);
  return power + exponent < 0;
}

enum class ParseResult { Ok, NotANumber, OutOfRange };

ParseResult Parse(std::string_view text, double& value) {
  if (ParseShortDecimal(text, value)) return ParseResult::Ok;
  NumberText number;
  if (!NormalizeNumber(text, number)) return ParseResult::NotANumber;
  const std::string_view normalized = number.view();
  const char* first = normalized.data();
  const char* last = first + normalized.size();
  auto [end, error] = std::from_chars(first, last, value);
  if (error == std::errc::result_out_of_range) {
    // A value too small for a double is zero; one too large overflows.
    if (BelowOne(normalized)) {
      value = 0.0;
      return ParseResult::Ok;
    }
    return ParseResult::OutOfRange;
  }
  if (error != std::errc() || end != last || !std::isfinite(value)) {
    return ParseResult::OutOfRange;
  }
  return ParseResult::Ok;
}

double RoundHalfEven(double value) {
  // nearbyint rounds in the current mode, which is to nearest, ties to even.
  return std::nearbyint(value);
}

template <typename Integer>
Integer ToIntegerType(double value) {
  if (std::isnan(value)) RaiseError(kOverflow);
  double rounded = RoundHalfEven(value);
  if (rounded < static_cast<double>(std::numeric_limits<Integer>::min()) ||
      rounded > static_cast<double>(std::numeric_limits<Integer>::max())) {
    RaiseError(kOverflow);
  }
  return static_cast<Integer>(rounded);
}

bool DigitsOnly(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (!IsDigit(c)) return false;
  }
  return true;
}

std::string TwoDigits(int value) {
  char text[8];
  std::snprintf(text, sizeof text, "%02d", value);
  return text;
}

}  // namespace

bool TryParseNumber(std::string_view text, double& value) {
  return Parse(text, value) == ParseResult::Ok;
}

double ParseNumber(std::string_view text) {
  double value = 0;
  switch (Parse(text, value)) {
    case ParseResult::Ok:
      return value;
    case ParseResult::OutOfRange:
      RaiseError(kOverflow);
    case ParseResult::NotANumber:
      break;
  }
  RaiseError(kTypeMismatch);
}

int32_t ToLong(double value) { return ToIntegerType<int32_t>(value); }
int16_t ToInteger(double value) { return ToIntegerType<int16_t>(value); }
uint8_t ToByte(double value) { return ToIntegerType<uint8_t>(value); }
int32_t TextToLong(std::string_view text) { return ToLong(ParseNumber(text)); }
int16_t TextToInteger(std::string_view text) { return ToInteger(ParseNumber(text)); }
double TextToDouble(std::string_view text) { return ParseNumber(text); }

std::optional<double> NumberOfVariant(const Variant& value) {
  switch (value.type()) {
    case Variant::Type::Boolean:
      return value.AsBoolean() ? -1.0 : 0.0;
    case Variant::Type::Integer:
      return value.AsInteger();
    case Variant::Type::Long:
      return value.AsLong();
    case Variant::Type::Double:
      return value.AsDouble();
    case Variant::Type::String: {
      double number = 0.0;
      if (TryParseNumber(value.AsString(), number)) return number;
      return std::nullopt;
    }
    default:
      return std::nullopt;
  }
}

double ValoreNumerico(const Variant& value) { return NumberOfVariant(value).value_or(0.0); }

std::string Str(double value) {
  if (value == 0.0 || !std::isfinite(value)) return " 0";
  // Fifteen significant digits, then the shortest form of them.
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.14e", std::fabs(value));
  std::string text(buffer);
  size_t e = text.find('e');
  std::string mantissa = text.substr(0, 1) + text.substr(2, e - 2);  // 15 digits
  int exponent = std::stoi(text.substr(e + 1));
  while (mantissa.size() > 1 && mantissa.back() == '0') mantissa.pop_back();

  std::string result = value < 0 ? "-" : " ";
  if (exponent >= 15 || exponent < -5) {
    result += mantissa.substr(0, 1);
    if (mantissa.size() > 1) result += "." + mantissa.substr(1);
    char exponentText[16];
    std::snprintf(exponentText, sizeof exponentText, "E%c%02d", exponent < 0 ? '-' : '+',
                  std::abs(exponent));
    result += exponentText;
  } else if (exponent < 0) {
    result += "." + std::string(static_cast<size_t>(-exponent - 1), '0') + mantissa;
  } else {
    size_t integerDigits = static_cast<size_t>(exponent) + 1;
    if (mantissa.size() <= integerDigits) {
      result += mantissa + std::string(integerDigits - mantissa.size(), '0');
    } else {
      result += mantissa.substr(0, integerDigits) + "." + mantissa.substr(integerDigits);
    }
  }
  return result;
}

std::string IntegerText(int64_t value) { return std::to_string(value); }

namespace {

#ifdef __SIZEOF_INT128__
__extension__ using Wide = unsigned __int128;

Wide WidePowerOfTen(int k) {
  Wide power = 1;
  while (k-- > 0) power *= 10;
  return power;
}

// The number Str's text reads back as, computed without the text for the
// magnitudes quantities have: the 15 significant digits are the quotient of
// exact integers (the double is mantissa * 2^e), rounded to nearest with
// halves to even as the text's formatting rounds the exact value, and
// turned back into a double by one correctly rounded operation on exact
// operands. Nothing when the magnitude is outside that range.
std::optional<double> StrRoundedExactly(double magnitude) {
  if (!kDoublesRoundOnce) return std::nullopt;
  if (!(magnitude >= 1e-7 && magnitude < 1e22)) return std::nullopt;
  int binaryExponent = 0;
  const double fraction = std::frexp(magnitude, &binaryExponent);
  const Wide mantissa = static_cast<uint64_t>(std::ldexp(fraction, 53));
  binaryExponent -= 53;
  // magnitude * 10^shift falls in [1e14, 1e15): 15 digits before the point.
  int shift = 14 - static_cast<int>(std::floor(std::log10(magnitude)));
  for (int attempt = 0; attempt < 3; ++attempt) {
    // Below 2^127 throughout: mantissa * 10^22 < 2^127, 2^77 * 10^8 < 2^104.
    Wide numerator = shift >= 0 ? mantissa * WidePowerOfTen(shift) : mantissa;
    Wide denominator = shift >= 0 ? 1 : WidePowerOfTen(-shift);
    if (binaryExponent >= 0) {
      numerator <<= binaryExponent;
    } else {
      denominator <<= -binaryExponent;
    }
    Wide digits = numerator / denominator;
    const Wide remainder = numerator % denominator;
    if (digits < 100000000000000u) {
      ++shift;  // log10 said one decade too high
      continue;
    }
    if (digits >= 1000000000000000u) {
      --shift;
      continue;
    }
    if (2 * remainder > denominator || (2 * remainder == denominator && (digits & 1) != 0)) {
      ++digits;
    }
    if (shift > 22 || shift < -22) return std::nullopt;
    const double whole = static_cast<double>(static_cast<uint64_t>(digits));
    return shift >= 0 ? whole / kPowersOfTen[shift] : whole * kPowersOfTen[-shift];
  }
  return std::nullopt;
}
#else
std::optional<double> StrRoundedExactly(double) { return std::nullopt; }
#endif

}  // namespace

double StrRounded(double value) {
  if (value == 0.0 || !std::isfinite(value)) return 0.0;  // Str gives " 0"
  // A quantity read from a file is mostly the double nearest a decimal of a
  // few digits, m / 10^k with m below 10^15: that decimal is its 15-digit
  // form already, and the double is what the text reads back as.
  const double magnitude = std::fabs(value);
  for (int k = 0; k <= 6 && kDoublesRoundOnce; ++k) {
    const double whole = std::nearbyint(magnitude * kPowersOfTen[k]);
    if (whole >= 1e15) break;
    if (whole / kPowersOfTen[k] == magnitude) return value;
  }
  if (std::optional<double> rounded = StrRoundedExactly(std::fabs(value))) {
    return value < 0 ? -*rounded : *rounded;
  }
  const std::string text = Str(value);
  double rounded = 0.0;
  const char* first = text.data() + (text.front() == ' ' ? 1 : 0);
  std::from_chars(first, text.data() + text.size(), rounded);
  return rounded;
}

CalendarDate DateFromField(std::string_view field) {
  if (field.size() < 8) RaiseError(kTypeMismatch);
  std::string_view yearText = field.substr(0, 4);
  std::string_view monthText = field.substr(4, 2);
  std::string_view dayText = field.substr(field.size() - 2, 2);
  if (!DigitsOnly(yearText) || !DigitsOnly(monthText) || !DigitsOnly(dayText)) {
    RaiseError(kTypeMismatch);
  }
  // Digits only, checked above.
  const auto number = [](std::string_view digits) {
    int value = 0;
    for (char c : digits) value = value * 10 + (c - '0');
    return value;
  };
  CalendarDate date{number(yearText), number(monthText), number(dayText)};
  if (!IsValidDate(date.year, date.month, date.day)) RaiseError(kTypeMismatch);
  return date;
}

std::string StatementDate(const CalendarDate& date) {
  char text[16];
  std::snprintf(text, sizeof text, "%02d/%02d/%04d", date.month, date.day, date.year);
  return text;
}

std::string FileDate(int year, int month, int day) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d%02d%02d", year, month, day);
  return text;
}

std::string FileTime(int hour, int minute, int second) {
  return TwoDigits(hour) + TwoDigits(minute) + TwoDigits(second);
}

std::string QuoteText(std::string_view value) {
  std::string quoted;
  quoted.reserve(value.size());
  for (char c : value) {
    quoted += c;
    if (c == '\'') quoted += '\'';
  }
  return quoted;
}

std::vector<std::string> SplitFields(std::string_view line) {
  std::vector<std::string> fields;
  SplitFieldsInto(line, fields);
  return fields;
}

void SplitFieldsInto(std::string_view line, std::vector<std::string>& fields) {
  // The strings already there are written over, keeping their storage.
  size_t count = 0;
  auto add = [&](std::string_view field) {
    if (count < fields.size()) {
      fields[count].assign(field);
    } else {
      fields.emplace_back(field);
    }
    ++count;
  };
  if (!line.empty()) {
    size_t start = 0;
    while (true) {
      const size_t semicolon = line.find(';', start);
      add(line.substr(start, semicolon == std::string_view::npos ? semicolon : semicolon - start));
      if (semicolon == std::string_view::npos) break;
      start = semicolon + 1;
    }
  }
  fields.resize(count);
}

const std::string& FieldAt(const std::vector<std::string>& fields, size_t index) {
  if (index >= fields.size()) RaiseError(kSubscriptOutOfRange);
  return fields[index];
}

}  // namespace viruzedi
