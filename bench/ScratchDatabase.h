// The target database the benchmarks write into: by default a new SQLite
// file in a folder of its own, removed at the end; with VIRUZEDI_BENCH_DB
// set, that database (any value --db takes, a postgresql:// URI too),
// which whoever set it has made with init-db and clears afterwards, so that
// the same programs time every engine.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <system_error>

#include "database/Database.h"

namespace viruzedi {

class ScratchDatabase {
 public:
  ScratchDatabase() {
    if (const char* given = std::getenv("VIRUZEDI_BENCH_DB"); given && *given) {
      path_ = given;
      return;
    }
    std::random_device random;
    folder_ = std::filesystem::temp_directory_path() /
              ("viruzedi-bench-" + std::to_string(random()) + std::to_string(random()));
    std::filesystem::create_directories(folder_);
    path_ = (folder_ / "magazzino.db").string();
    DBEngine::CreateTargetDatabase(path_);
  }
  ~ScratchDatabase() {
    if (folder_.empty()) return;
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
