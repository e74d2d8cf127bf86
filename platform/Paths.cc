#include "platform/FileSystem.h"

#include <algorithm>

#include "base/Errors.h"

namespace viruzedi {
namespace {

#if defined(_WIN32)
// Windows takes both; its own is the backslash, and a drive's root ("C:\")
// keeps its separator, as "/" does.
constexpr char kSeparator = '\\';
constexpr const char* kSeparators = "\\/";
bool IsRootEnd(const std::string& path, std::string::size_type slash) {
  return slash == 0 || (slash == 2 && path[1] == ':');
}
#else
constexpr char kSeparator = '/';
constexpr const char* kSeparators = "/";
bool IsRootEnd(const std::string&, std::string::size_type slash) { return slash == 0; }
#endif

bool IsSeparator(char c) {
  for (const char* s = kSeparators; *s; ++s) {
    if (*s == c) return true;
  }
  return false;
}

}  // namespace

char PathSeparator() { return kSeparator; }

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  return IsSeparator(folder.back()) ? folder + name : folder + kSeparator + name;
}

std::string ParentFolder(const std::string& path) {
  std::string::size_type slash = path.find_last_of(kSeparators);
  if (slash == std::string::npos) return ".";
  return IsRootEnd(path, slash) ? path.substr(0, slash + 1) : path.substr(0, slash);
}

std::string BaseName(const std::string& path) {
  std::string::size_type slash = path.find_last_of(kSeparators);
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::vector<std::string> SortedNamesIn(FileSystem& files, const std::string& folder) {
  std::vector<std::string> names;
  try {
    names = files.ListFolder(folder);
  } catch (const AutomationError&) {
    return {};
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace viruzedi
