#include "gs1/DigitalLink.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "base/Text.h"
#include "gs1/ApplicationIdentifiers.h"
#include "gs1/Gs1Texts.h"

namespace viruzedi {

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  const char lower = LowerAscii(c);
  if (lower >= 'a' && lower <= 'f') return lower - 'a' + 10;
  return -1;
}

std::optional<std::string> PercentDecoded(std::string_view text) {
  std::string decoded;
  decoded.reserve(text.size());
  for (size_t at = 0;;) {
    const size_t percent = std::min(text.find('%', at), text.size());
    decoded.append(text.substr(at, percent - at));
    if (percent == text.size()) return decoded;
    if (percent + 2 >= text.size()) return std::nullopt;
    const int high = HexValue(text[percent + 1]);
    const int low = HexValue(text[percent + 2]);
    if (high < 0 || low < 0) return std::nullopt;
    decoded += static_cast<char>(high * 16 + low);
    at = percent + 3;
  }
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
  std::vector<std::string_view> pieces;
  pieces.reserve(std::count(text.begin(), text.end(), separator) + 1);
  for (size_t start = 0;;) {
    const size_t end = text.find(separator, start);
    pieces.push_back(text.substr(start, end - start));
    if (end == std::string_view::npos) return pieces;
    start = end + 1;
  }
}

bool IsAi(std::string_view text) { return FindGs1Identifier(text) != nullptr; }

bool AllDigits(std::string_view text) {
  return text.find_first_not_of("0123456789") == std::string_view::npos;
}

// A short GTIN, as the address may write it, made the 14 digits of the AI.
std::string PaddedGtin(std::string_view ai, std::string value) {
  const bool gtin = ai == "01" || ai == "02" || ai == "03";
  const size_t length = value.size();
  if (gtin && (length == 8 || length == 12 || length == 13) && AllDigits(value)) {
    value.insert(0, 14 - length, '0');
  }
  return value;
}

// Adds the pair, decoded; false (the refusal set) when a piece is badly
// encoded.
bool AddDecoded(Gs1Reading& reading, std::string_view ai, std::string_view value) {
  std::optional<std::string> decodedValue = PercentDecoded(value);
  if (!decodedValue) {
    reading.refusal = kCodificaPercentuale + std::string(value);
    return false;
  }
  // The AI is one of the table's, which are digits only.
  reading.elements.push_back({std::string(ai), PaddedGtin(ai, std::move(*decodedValue))});
  return true;
}

}  // namespace

bool IsDigitalLink(std::string_view text) {
  return StartsWithIgnoreCase(text, "https://") || StartsWithIgnoreCase(text, "http://");
}

Gs1Reading SplitDigitalLink(std::string_view uri) {
  Gs1Reading reading;
  reading.elements.reserve(8);  // a label's handful
  uri = uri.substr(uri.find("://") + 3);
  uri = uri.substr(0, uri.find('#'));
  const size_t question = uri.find('?');
  const std::string_view query =
      question == std::string_view::npos ? std::string_view() : uri.substr(question + 1);
  const std::string_view address = uri.substr(0, question);
  const size_t slash = address.find('/');
  std::vector<std::string_view> segments;
  if (slash != std::string_view::npos) segments = Split(address.substr(slash + 1), '/');
  if (!segments.empty() && segments.back().empty()) segments.pop_back();

  // The label's pairs end the path; whatever stands before them is the
  // prefix of the host's choosing, which may hold anything.
  size_t first = segments.size();
  while (first >= 2 && IsAi(segments[first - 2])) first -= 2;
  if (first == segments.size()) {
    reading.refusal = kDigitalLinkSenzaPercorso;
    return reading;
  }
  for (size_t i = first; i < segments.size(); i += 2) {
    if (!AddDecoded(reading, segments[i], segments[i + 1])) return reading;
  }
  if (query.empty()) return reading;
  for (std::string_view parameter : Split(query, '&')) {
    const size_t equals = parameter.find('=');
    if (equals == std::string_view::npos) continue;
    const std::string_view key = parameter.substr(0, equals);
    if (!IsAi(key)) continue;
    if (!AddDecoded(reading, key, parameter.substr(equals + 1))) return reading;
  }
  return reading;
}

}  // namespace viruzedi
