// How fast a file crosses a pseudo-terminal with YMODEM, our sender on one
// side and our receiver on the other (a pseudo-terminal has no baud rate,
// so this is the protocol's own cost: framing, CRC, one reply per block),
// and what the CRC costs on its own.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>
#include <thread>

#include "platform/ByteChannel.h"
#include "platform/Crc16.h"
#include "viruzedi/Platform.h"
#include "platform/PseudoTerminal.h"
#include "platform/PseudoTerminalChannel.h"
#include "platform/SerialDevice.h"
#include "platform/Ymodem.h"

namespace viruzedi {
namespace {

std::string RandomBytes(size_t size) {
  std::mt19937 generator(7);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(generator());
  return bytes;
}

void BM_Crc16(benchmark::State& state) {
  std::string block = RandomBytes(1024);
  for (auto _ : state) benchmark::DoNotOptimize(Crc16Xmodem(block));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 1024);
}
BENCHMARK(BM_Crc16);

void BM_YmodemOverPseudoTerminal(benchmark::State& state) {
  const std::string contents = RandomBytes(static_cast<size_t>(state.range(0)));
  std::shared_ptr<Platform> platform = DefaultPlatform();
  std::filesystem::path folder = std::filesystem::temp_directory_path() / "viruzedi-bench-ymodem";
  std::filesystem::create_directories(folder);
  const std::string destination = (folder / "received.bin").string();
  auto pty = PseudoTerminal::Open();
  auto device = SerialDevice::Open(pty->SlavePath());
  device->Configure(ParseLineSettings("115200,n,8,1"));
  for (auto _ : state) {
    std::thread sender([&] {
      PseudoTerminalChannel terminal(*pty, *platform);
      YmodemSendFile(terminal, YmodemTiming{}, {"bench.bin", {}, 0}, contents);
    });
    SerialDeviceChannel host(*device, *platform);
    YmodemReceiveFile(host, YmodemTiming{}, [&](const YmodemFileInfo&) { return destination; });
    sender.join();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
  std::filesystem::remove_all(folder);
}
BENCHMARK(BM_YmodemOverPseudoTerminal)
    ->Arg(64 << 10)
    ->Arg(1 << 20)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace viruzedi
