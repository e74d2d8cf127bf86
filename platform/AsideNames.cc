// The names of aside files, the same on every system.
#include <atomic>
#include <string_view>

#include "platform/AsideFile.h"
#include "platform/FileSystem.h"

namespace viruzedi {
namespace {

constexpr std::string_view kAsideEnd = ".parziale";

// Two transfers of one process into the same folder never share a name.
std::atomic<unsigned> asideCounter{0};

bool AllDigits(std::string_view text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

}  // namespace

std::string NewAsideFilePath(const std::string& destination, uint64_t processId) {
  return JoinPath(ParentFolder(destination), "." + BaseName(destination) + "." +
                                                 std::to_string(processId) + "-" +
                                                 std::to_string(asideCounter++) +
                                                 std::string(kAsideEnd));
}

std::string AsideFileDestination(const std::string& name) {
  std::string_view rest(name);
  if (rest.size() <= kAsideEnd.size() + 1 || rest.front() != '.' ||
      rest.substr(rest.size() - kAsideEnd.size()) != kAsideEnd) {
    return "";
  }
  rest = rest.substr(1, rest.size() - 1 - kAsideEnd.size());
  const size_t dot = rest.rfind('.');
  if (dot == std::string_view::npos || dot == 0) return "";
  const std::string_view writer = rest.substr(dot + 1);
  const size_t dash = writer.find('-');
  if (dash == std::string_view::npos || !AllDigits(writer.substr(0, dash)) ||
      !AllDigits(writer.substr(dash + 1))) {
    return "";
  }
  return std::string(rest.substr(0, dot));
}

}  // namespace viruzedi
