#include "base/Masking.h"

#include "base/Text.h"

namespace viruzedi {

std::string MaskPasswords(const std::string& value) {
  std::string masked = value;
  std::string::size_type scheme = masked.find("://");
  if (scheme != std::string::npos) {
    std::string::size_type start = scheme + 3;
    std::string::size_type end = masked.find_first_of("/?#", start);
    if (end == std::string::npos) end = masked.size();
    std::string::size_type at = masked.rfind('@', end);
    std::string::size_type colon = masked.find(':', start);
    if (at != std::string::npos && at >= start && at < end && colon < at) {
      masked.replace(colon + 1, at - colon - 1, "***");
    }
  }

  const std::string parameter = "password=";
  std::string::size_type from = 0;
  while (true) {
    const std::string lower = LowerAsciiText(masked);
    std::string::size_type found = lower.find(parameter, from);
    if (found == std::string::npos) break;
    std::string::size_type start = found + parameter.size();
    // A quoted value of a keyword connection string may hold spaces.
    std::string::size_type end = start < masked.size() && masked[start] == '\''
                                     ? masked.find('\'', start + 1)
                                     : masked.find_first_of("& ;", start);
    if (end == std::string::npos) {
      end = masked.size();
    } else if (masked[start] == '\'') {
      ++end;
    }
    masked.replace(start, end - start, "***");
    from = start + 3;
  }
  return masked;
}

}  // namespace viruzedi
