#include "gs1/ElementString.h"

#include <algorithm>

#include "gs1/ApplicationIdentifiers.h"
#include "gs1/DigitalLink.h"
#include "gs1/ElementValue.h"
#include "gs1/Gs1Texts.h"

namespace viruzedi {

namespace {

// What a scanner sends for FNC1 between elements.
constexpr char kGroupSeparator = '\x1D';
// What GS1's own tools write for FNC1, at the start and between elements.
constexpr char kCaret = '^';

// The symbology identifiers of GS1 symbols, and of the two symbols that
// carry a Digital Link address as plain text.
struct Symbology {
  std::string_view identifier;
  bool digitalLinkOnly;
};
constexpr Symbology kSymbologies[] = {
    {"]C1", false}, {"]e0", false}, {"]d2", false}, {"]Q3", false},
    {"]J1", false}, {"]Q1", true},  {"]d1", true},
};

Gs1Reading Refused(std::string refusal) {
  Gs1Reading reading;
  reading.refusal = std::move(refusal);
  return reading;
}

// A piece of the text for a message: up to ten characters, a control
// character shown by its code.
std::string Shown(std::string_view text) {
  std::string shown;
  for (char c : text.substr(0, 10)) {
    if (static_cast<unsigned char>(c) < 0x20) {
      shown += c == kGroupSeparator ? "<GS>" : "<?>";
    } else {
      shown += c;
    }
  }
  return shown;
}

// A label holds a handful of elements.
constexpr size_t kUsualElements = 8;

// Adds (ai, value) to `elements` once the value passes the checks of its
// AI, defined by `identifier` (null: `ai` is no AI); an AI given before
// with the same value counts once. Returns the refusal, "" when it passes.
std::string Add(std::vector<Gs1Element>& elements, std::string_view ai,
                const Gs1Identifier* identifier, std::string value) {
  if (identifier == nullptr) return kIdentificatoreSconosciuto + ("(" + Shown(ai) + ")");
  std::string refusal = Gs1ValueRefusal(ai, *identifier, value);
  if (!refusal.empty()) return refusal;
  for (const Gs1Element& earlier : elements) {
    if (earlier.ai != ai) continue;
    if (earlier.value != value) return "(" + std::string(ai) + ")" + kRipetutoDiverso;
    return refusal;
  }
  elements.push_back({std::string(ai), std::move(value)});
  return refusal;
}

// (02)08012345000012(10)LOT42: each value runs to the next "(" that no
// "\" escapes.
Gs1Reading SplitBracketed(std::string_view text) {
  Gs1Reading reading;
  reading.elements.reserve(kUsualElements);
  size_t at = 0;
  while (at < text.size()) {
    const size_t close = text.find(')', at);
    if (close == std::string_view::npos) return Refused(kParentesiNonChiusa + Shown(text.substr(at)));
    const std::string_view ai = text.substr(at + 1, close - at - 1);
    std::string value;
    at = close + 1;
    for (;;) {
      const size_t open = std::min(text.find('(', at), text.size());
      const bool escaped = open < text.size() && open > at && text[open - 1] == '\\';
      value.append(text.substr(at, open - at - (escaped ? 1 : 0)));
      if (!escaped) {
        at = open;
        break;
      }
      value += '(';
      at = open + 1;
    }
    std::string refusal = Add(reading.elements, ai, FindGs1Identifier(ai), std::move(value));
    if (!refusal.empty()) return Refused(std::move(refusal));
  }
  return reading;
}

// 0208012345000012 10LOT42 <GS> 15261231: each AI found by its digits in
// the table, its value as long as the AI fixes or up to the next
// separator.
Gs1Reading SplitUnbracketed(std::string_view text, bool caretSeparates) {
  auto isSeparator = [caretSeparates](char c) {
    return c == kGroupSeparator || (caretSeparates && c == kCaret);
  };
  Gs1Reading reading;
  reading.elements.reserve(kUsualElements);
  size_t at = 0;
  while (at < text.size()) {
    if (isSeparator(text[at])) return Refused(kSeparatoreFuoriPosto);
    size_t aiLength = 0;
    const Gs1Identifier* identifier = Gs1IdentifierAtStart(text.substr(at), aiLength);
    if (identifier == nullptr) return Refused(kNessunIdentificatore + Shown(text.substr(at)));
    const std::string_view ai = text.substr(at, aiLength);
    at += aiLength;
    size_t end = std::find_if(text.begin() + at, text.end(), isSeparator) - text.begin();
    if (identifier->FixedLength()) end = std::min(end, at + identifier->MaxLength());
    std::string refusal =
        Add(reading.elements, ai, identifier, std::string(text.substr(at, end - at)));
    if (!refusal.empty()) return Refused(std::move(refusal));
    at = end;
    if (at < text.size() && isSeparator(text[at])) ++at;
  }
  return reading;
}

// The elements of a Digital Link address held against their AIs.
Gs1Reading Checked(Gs1Reading split) {
  if (!split.Read()) return Refused(std::move(split.refusal));
  Gs1Reading reading;
  reading.elements.reserve(split.elements.size());
  for (Gs1Element& element : split.elements) {
    std::string refusal = Add(reading.elements, element.ai, FindGs1Identifier(element.ai),
                              std::move(element.value));
    if (!refusal.empty()) return Refused(std::move(refusal));
  }
  return reading;
}

// A label that gave no element is none.
Gs1Reading NotEmpty(Gs1Reading reading) {
  if (reading.Read() && reading.elements.empty()) return Refused(kEtichettaVuota);
  return reading;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

const std::string* Gs1Reading::ValueOf(std::string_view ai) const {
  for (const Gs1Element& element : elements) {
    if (element.ai == ai) return &element.value;
  }
  return nullptr;
}

Gs1Reading ReadGs1Label(std::string_view text) {
  if (text.empty()) return Refused(kEtichettaVuota);
  if (text[0] == ']') {
    const std::string_view identifier = text.substr(0, 3);
    const auto symbology =
        std::find_if(std::begin(kSymbologies), std::end(kSymbologies),
                     [identifier](const Symbology& s) { return s.identifier == identifier; });
    if (symbology == std::end(kSymbologies)) {
      return Refused(kSimbologiaNonGs1 + Shown(identifier));
    }
    const std::string_view data = text.substr(3);
    if (!symbology->digitalLinkOnly) return NotEmpty(SplitUnbracketed(data, false));
    if (!IsDigitalLink(data)) return Refused(std::string(identifier) + kSenzaDigitalLink);
    return Checked(SplitDigitalLink(data));
  }
  if (IsDigitalLink(text)) return Checked(SplitDigitalLink(text));
  if (text[0] == '(') return SplitBracketed(text);
  if (text[0] == kCaret) return NotEmpty(SplitUnbracketed(text.substr(1), true));
  // The FNC1 that begins a GS1 symbol, sent as GS by a scanner told to.
  if (text[0] == kGroupSeparator) return NotEmpty(SplitUnbracketed(text.substr(1), false));
  if (IsDigit(text[0])) return SplitUnbracketed(text, false);
  return Refused(kFormaSconosciuta);
}

std::string BracketedForm(const std::vector<Gs1Element>& elements) {
  std::string text;
  for (const Gs1Element& element : elements) {
    text += "(" + element.ai + ")";
    for (char c : element.value) {
      if (c == '(') text += '\\';
      text += c;
    }
  }
  return text;
}

}  // namespace viruzedi
