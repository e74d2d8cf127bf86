// A new target database in a folder of its own, removed at the end: what
// the benchmarks write into.
#pragma once

#include <filesystem>
#include <random>
#include <string>
#include <system_error>

#include "database/Database.h"

namespace viruzedi {

class ScratchDatabase {
 public:
  ScratchDatabase() {
    std::random_device random;
    folder_ = std::filesystem::temp_directory_path() /
              ("viruzedi-bench-" + std::to_string(random()) + std::to_string(random()));
    std::filesystem::create_directories(folder_);
    path_ = (folder_ / "magazzino.db").string();
    DBEngine::CreateTargetDatabase(path_);
  }
  ~ScratchDatabase() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  ScratchDatabase(const ScratchDatabase&) = delete;
  ScratchDatabase& operator=(const ScratchDatabase&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::filesystem::path folder_;
  std::string path_;
};

}  // namespace viruzedi
