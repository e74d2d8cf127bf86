// Rows per second the database engine stores into a real file: statements
// through Execute (parse, type checks, cached prepared INSERT, one commit per
// row) and rows through the append-only record set; and what the parser and
// MakeDurable cost on their own.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>
#include <string>

#include "bench/ScratchDatabase.h"
#include "database/Database.h"
#include "database/StatementParser.h"

namespace viruzedi {
namespace {

// The stock movement statement, one per line of a terminal file.
std::string MovementStatement(int64_t line) {
  return "Insert Into Viruzedi (Codart,IdLotto,Quantità,Data,Rep) Select 'ART" +
         std::to_string(line % 1000) + "'," + std::to_string(line) + ",  12.5, #12/06/2026#, 3";
}

void BM_ParseInsert(benchmark::State& state) {
  std::string statement = MovementStatement(42);
  for (auto _ : state) benchmark::DoNotOptimize(ParseInsert(statement));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ParseInsert);

void BM_Execute(benchmark::State& state) {
  ScratchDatabase scratch;
  std::unique_ptr<Database> database = DBEngine::Instance().OpenDatabase(scratch.path());
  int64_t line = 0;
  for (auto _ : state) database->Execute(MovementStatement(++line));
  database->MakeDurable();
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Execute)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_RecordsetUpdate(benchmark::State& state) {
  ScratchDatabase scratch;
  std::unique_ptr<Database> database = DBEngine::Instance().OpenDatabase(scratch.path());
  std::unique_ptr<Recordset> recordset =
      database->OpenRecordset("Select * from viruzedi", kDbAppendOnly);
  int32_t line = 0;
  for (auto _ : state) {
    // A reader file line A1;5;17 as the reader program import sets it.
    recordset->AddNew();
    recordset->SetCollect("Codart", "ART" + std::to_string(++line % 1000));
    recordset->SetCollect("Quantità", "12,5");
    recordset->SetCollect("IDLotto", std::to_string(line));
    recordset->SetCollect("Data", CalendarDate{2026, 12, 6});
    recordset->Update();
  }
  recordset->Close();
  database->MakeDurable();
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RecordsetUpdate)->Unit(benchmark::kMicrosecond)->UseRealTime();

// What a download pays once, before it erases its source: the sync of the
// rows of a whole terminal file (range(0) rows).
void BM_MakeDurableAfterRows(benchmark::State& state) {
  ScratchDatabase scratch;
  std::unique_ptr<Database> database = DBEngine::Instance().OpenDatabase(scratch.path());
  int64_t line = 0;
  for (auto _ : state) {
    state.PauseTiming();
    for (int64_t i = 0; i < state.range(0); ++i) database->Execute(MovementStatement(++line));
    state.ResumeTiming();
    database->MakeDurable();
  }
}
BENCHMARK(BM_MakeDurableAfterRows)->Arg(1000)->Unit(benchmark::kMillisecond)->Iterations(10)->UseRealTime();

}  // namespace
}  // namespace viruzedi
