// Block 0: what a batch says about its file.
#include <charconv>

#include "platform/Ymodem.h"
#include "platform/YmodemLine.h"

namespace viruzedi {
namespace {

// The leading number of `text` in `base`, skipping spaces before it; absent
// when there is none or it does not fit. Advances `text` past it.
template <typename Number>
std::optional<Number> TakeNumber(std::string_view& text, int base) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  Number value{};
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  if (error != std::errc() || end == text.data()) return std::nullopt;
  text.remove_prefix(static_cast<size_t>(end - text.data()));
  return value;
}

}  // namespace

std::string EncodeYmodemHeader(const YmodemFileInfo& info) {
  std::string data;
  if (!info.name.empty()) {
    std::string fields;
    if (info.size) fields = std::to_string(*info.size);
    if (info.size && info.modificationTime > 0) {
      char octal[32];
      auto [end, error] = std::to_chars(octal, octal + sizeof octal, info.modificationTime, 8);
      if (error == std::errc()) fields += " " + std::string(octal, end);
    }
    // A name too long even for a long block is cut, never the size the
    // receiver needs; no file name of the terminal comes near that length.
    std::string name = info.name.substr(0, ymodem::kLongBlock - 2 - fields.size());
    data = name + '\0' + fields;
  }
  data.resize(data.size() < ymodem::kShortBlock ? ymodem::kShortBlock : ymodem::kLongBlock, '\0');
  return data;
}

YmodemFileInfo DecodeYmodemHeader(std::string_view data) {
  YmodemFileInfo info;
  size_t nameEnd = data.find('\0');
  if (nameEnd == std::string_view::npos) nameEnd = data.size();
  info.name.assign(data.substr(0, nameEnd));
  if (info.name.empty()) return info;
  std::string_view rest = data.substr(std::min(nameEnd + 1, data.size()));
  rest = rest.substr(0, rest.find('\0'));
  info.size = TakeNumber<uint64_t>(rest, 10);
  if (info.size) info.modificationTime = TakeNumber<int64_t>(rest, 8).value_or(0);
  return info;
}

}  // namespace viruzedi
