// What one record reply of an infrared download costs, and how much of it is
// the opening of the database that the import does for every reply:
//   BM_OpenDatabase        the open alone, each one replacing the previous
//                          handle as the import does;
//   BM_ImportRecord        the whole per-record work of the import, after
//                          the check of the database that Scarica1 makes
//                          first (and that keeps the database open);
//   BM_ImportRecordSplit   the same steps, timing the open and the rest
//                          (reading the reply, keeping its row, and its
//                          share of the one transaction that stores them
//                          all) of each record apart: counters open_us and
//                          rest_us.
// bench/run.py reports the open's share from the last one, where both parts
// are measured on the same records.
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "bench/ScratchDatabase.h"
#include "database/Database.h"
#include "database/RowSource.h"
#include "infrared/InfraredRecord.h"
#include "viruzedi/Platform.h"

namespace viruzedi {
namespace {

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

void BM_ImportRecord(benchmark::State& state) {
  ScratchDatabase scratch;
  std::shared_ptr<Platform> platform = DefaultPlatform();
  DatabaseSettings settings;
  InfraredRecordImport import(*platform, scratch.path(), settings, 1);
  import.CheckDatabase();
  int64_t record = 0;
  for (auto _ : state) import.Import(RecordReply(++record));
  import.Store();
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ImportRecord)->Unit(benchmark::kMicrosecond)->UseRealTime();

// The steps of InfraredRecordImport for records with a good code: the
// check's open held throughout, an open per reply, the rows stored at the
// end in one transaction.
void BM_ImportRecordSplit(benchmark::State& state) {
  using Clock = std::chrono::steady_clock;
  ScratchDatabase scratch;
  std::unique_ptr<Database> checked = DBEngine::Instance().OpenDatabase(scratch.path());
  std::vector<Row> rows;
  Clock::duration opening{}, rest{};
  int64_t record = 0;
  for (auto _ : state) {
    std::string reply = RecordReply(++record);
    Clock::time_point start = Clock::now();
    std::unique_ptr<Database> opened = DBEngine::Instance().OpenDatabase(scratch.path());
    Clock::time_point done_opening = Clock::now();
    std::optional<InfraredRecord> read = ReadInfraredRecord(reply);
    rows.push_back(InfraredRecordRow(*read));
    Clock::time_point done = Clock::now();
    opening += done_opening - start;
    rest += done - done_opening;
  }
  Clock::time_point storing = Clock::now();
  RowsInMemory source(rows);
  Transaction transaction(*checked);
  checked->InsertRows(source);
  transaction.Commit();
  rest += Clock::now() - storing;
  auto microseconds = [&](Clock::duration total) {
    return std::chrono::duration<double, std::micro>(total).count() /
           static_cast<double>(state.iterations());
  };
  state.counters["open_us"] = microseconds(opening);
  state.counters["rest_us"] = microseconds(rest);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ImportRecordSplit)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace
}  // namespace viruzedi
