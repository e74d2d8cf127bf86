// What one record reply of an infrared download costs, and how much of it is
// the opening of the database that the import does for every reply:
//   BM_OpenDatabase     the open alone, each one replacing the previous
//                       handle as the import does;
//   BM_RecordStatement  reading the reply and executing its statement on a
//                       database kept open;
//   BM_ImportRecord     the whole per-record work (open, read, execute).
// bench/run.py reads the first and the last to report the open's share.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <random>
#include <string>

#include "component/Database.h"
#include "infrared/InfraredRecord.h"
#include "platform/Platform.h"

namespace viruzedi {
namespace {

// A new target database in a folder of its own, removed at the end.
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
  const std::string& path() const { return path_; }

 private:
  std::filesystem::path folder_;
  std::string path_;
};

// A reply as the link library leaves it: the record, then the spaces of the
// 100-character buffer.
std::string RecordReply(int64_t record) {
  std::string reply =
      "#ART" + std::to_string(record % 997) + "$" + std::to_string(record) + ";1.5;20261206;3;";
  reply.resize(100, ' ');
  return reply;
}

void BM_OpenDatabase(benchmark::State& state) {
  ScratchDatabase scratch;
  std::unique_ptr<Database> database;
  for (auto _ : state) database = DBEngine::Instance().OpenDatabase(scratch.path());
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_OpenDatabase)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_RecordStatement(benchmark::State& state) {
  ScratchDatabase scratch;
  std::unique_ptr<Database> database = DBEngine::Instance().OpenDatabase(scratch.path());
  int64_t record = 0;
  for (auto _ : state) {
    std::optional<InfraredRecord> read = ReadInfraredRecord(RecordReply(++record));
    database->Execute(InfraredRecordStatement(*read));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RecordStatement)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_ImportRecord(benchmark::State& state) {
  ScratchDatabase scratch;
  std::shared_ptr<Platform> platform = DefaultPlatform();
  InfraredRecordImport import(*platform, scratch.path());
  int64_t record = 0;
  for (auto _ : state) import.Import(RecordReply(++record));
  import.MakeDurable();
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ImportRecord)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace
}  // namespace viruzedi
