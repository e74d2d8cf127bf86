// Stock-movement files whose stored rows a test can name in advance, for
// the tests that send many of them through real processes.
#pragma once

#include <string>
#include <vector>

namespace viruzedi::testing {

inline bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// Terminal lines of stock movements <prefix>0 ... <prefix><count-1>, the
// code's number in IdLotto too.
inline std::string Movements(const std::string& prefix, int count) {
  std::string bytes;
  for (int i = 0; i < count; ++i) {
    bytes += prefix + std::to_string(i) + "$" + std::to_string(i) + ";1;20261206;1\r\n";
  }
  return bytes;
}

// The rows those lines store, as QueryRows shows "codart|idlotto".
inline std::vector<std::string> MovementRows(const std::string& prefix, int count) {
  std::vector<std::string> rows;
  for (int i = 0; i < count; ++i) rows.push_back(prefix + std::to_string(i) + "|" + std::to_string(i));
  return rows;
}

}  // namespace viruzedi::testing
