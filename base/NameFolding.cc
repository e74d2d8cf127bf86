#include "base/NameFolding.h"

#include "base/Text.h"

namespace viruzedi {
namespace {

// Simple lower-case mapping of the letters beyond ASCII that the
// component's names can hold.
char32_t LowerLetter(char32_t c) {
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 0x20;  // À..Þ, not ×
  // Latin Extended-A pairs capital/small letters as even/odd code points,
  // with the parity flipping at 0x139 and 0x179; İ and ı have no simple pair.
  if ((c >= 0x100 && c <= 0x12F) || (c >= 0x132 && c <= 0x137) ||
      (c >= 0x14A && c <= 0x177)) {
    return (c % 2 == 0) ? c + 1 : c;
  }
  if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) {
    return (c % 2 == 1) ? c + 1 : c;
  }
  if (c == 0x178) return 0xFF;  // Ÿ
  return c;
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else {  // every letter folded here lies below U+0800: two bytes
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

}  // namespace

std::string FoldName(std::string_view name) {
  std::string folded;
  folded.reserve(name.size());
  for (size_t i = 0; i < name.size(); ++i) {
    unsigned char lead = static_cast<unsigned char>(name[i]);
    if (lead < 0x80) {
      folded += LowerAscii(static_cast<char>(lead));
      continue;
    }
    // Only two-byte sequences can hold a letter that folds; any other byte
    // (longer sequences, stray continuation bytes) is copied as it is.
    if (lead >= 0xC2 && lead <= 0xDF && i + 1 < name.size()) {
      unsigned char next = static_cast<unsigned char>(name[i + 1]);
      if ((next & 0xC0) == 0x80) {
        char32_t c = (static_cast<char32_t>(lead & 0x1F) << 6) | (next & 0x3F);
        AppendUtf8(folded, LowerLetter(c));
        ++i;
        continue;
      }
    }
    folded += static_cast<char>(lead);
  }
  return folded;
}

bool SameName(std::string_view a, std::string_view b) {
  return a == b || FoldName(a) == FoldName(b);
}

}  // namespace viruzedi
