// A whole terminal download: Scarica4 of a stock-movement file through the
// folder link, the pipeline and the engine into a real file. Reports lines
// per second and the peak memory of the process, which must not grow with
// the size of the file (the file is read line by line).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "base/Conversions.h"
#include "database/Database.h"
#include "viruzedi/Viruzedi.h"

namespace viruzedi {
namespace {

class QuietPlatform : public ForwardingPlatform {
 public:
  QuietPlatform(std::string letture, std::string terminale)
      : ForwardingPlatform(DefaultPlatform()),
        letture_(std::move(letture)),
        terminale_(std::move(terminale)) {}
  void MessageBox(const std::string&, int, const std::string&) override { ++boxes; }
  std::string DownloadFolder() override { return letture_; }
  std::string TerminalSetting() override { return "dir:" + terminale_; }
  int boxes = 0;

 private:
  std::string letture_;
  std::string terminale_;
};

// Peak resident memory of this process in kB, from the kernel's status file.
double PeakMemoryKb() {
  std::ifstream status("/proc/self/status");
  std::string key;
  while (status >> key) {
    if (key == "VmHWM:") {
      double kb = 0;
      status >> kb;
      return kb;
    }
    status.ignore(1 << 20, '\n');
  }
  return 0;
}

void BM_Scarica4(benchmark::State& state) {
  std::random_device random;
  auto folder = std::filesystem::temp_directory_path() /
                ("viruzedi-bench-" + std::to_string(random()) + std::to_string(random()));
  std::filesystem::create_directories(folder / "terminale");
  std::string database = (folder / "magazzino.db").string();
  DBEngine::CreateTargetDatabase(database);
  auto platform = std::make_shared<QuietPlatform>((folder / "_Letture").string(),
                                                  (folder / "terminale").string());
  Viruzedi component(platform);
  component.DbPath(database);
  const int64_t lines = state.range(0);

  for (auto _ : state) {
    state.PauseTiming();
    {
      std::ofstream file(folder / "terminale" / "1.txt", std::ios::binary);
      for (int64_t line = 0; line < lines; ++line) {
        file << "ART" << line % 997 << '$' << line << ";12,5;20261206;3\r\n";
      }
    }
    state.ResumeTiming();
    component.Scarica4();
    state.PauseTiming();
    // The archive names carry the second: keep the next run's names free.
    std::filesystem::remove_all(folder / "_Letture");
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * lines);
  state.counters["peak_kB"] = PeakMemoryKb();
  state.counters["boxes"] = platform->boxes;
  std::filesystem::remove_all(folder);
}
BENCHMARK(BM_Scarica4)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

void BM_ParseNumber(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(ParseNumber(" -12,5 "));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ParseNumber);

void BM_Str(benchmark::State& state) {
  double value = 1234.5678;
  for (auto _ : state) benchmark::DoNotOptimize(Str(value));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Str);

}  // namespace
}  // namespace viruzedi
