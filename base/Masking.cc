#include "base/Masking.h"

#include <algorithm>

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

std::string MaskConnectionString(const std::string& value) {
  std::string masked;
  size_t at = 0;
  while (at < value.size()) {
    size_t equals = value.find('=', at);
    size_t semicolon = value.find(';', at);
    if (equals == std::string::npos || (semicolon != std::string::npos && semicolon < equals)) {
      // An attribute without a value: kept as it is.
      size_t end = semicolon == std::string::npos ? value.size() : semicolon + 1;
      masked.append(value, at, end - at);
      at = end;
      continue;
    }
    std::string_view key = TrimSpaces(std::string_view(value).substr(at, equals - at));
    size_t start = equals + 1;
    while (start < value.size() && value[start] == ' ') ++start;
    size_t end = start;
    if (start < value.size() && value[start] == '{') {
      // A braced value may hold ';'; "}}" stands for one brace.
      end = start + 1;
      while (end < value.size()) {
        if (value[end] == '}') {
          if (end + 1 < value.size() && value[end + 1] == '}') {
            end += 2;
            continue;
          }
          ++end;
          break;
        }
        ++end;
      }
      end = std::min(value.find(';', end), value.size());
    } else {
      end = std::min(value.find(';', start), value.size());
    }
    masked.append(value, at, start - at);
    if (EqualsIgnoreCase(key, "PWD") || EqualsIgnoreCase(key, "Password")) {
      masked += "***";
    } else {
      masked.append(value, start, end - start);
    }
    if (end < value.size()) masked += ';';
    at = end + 1;
  }
  return masked;
}

}  // namespace viruzedi
