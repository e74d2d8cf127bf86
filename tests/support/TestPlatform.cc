#include "tests/support/TestPlatform.h"

#include <algorithm>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "platform/ChildProcess.h"

namespace viruzedi::testing {

namespace {

// Every `viruzedi` a test starts inherits this: the settings files of the
// machine that runs the tests must not change what a test sees. Tests of the
// files set these for their own runs. This unit holds BinFolder, which every
// test that runs a program uses, so the initialiser is always linked.
const bool settingsFilesIgnored = [] {
  SetEnvironmentValue("XDG_CONFIG_HOME", "/nonexistent/viruzedi-tests");
  SetEnvironmentValue("VIRUZEDI_CONFIG_MACHINE", "/nonexistent/viruzedi-tests/viruzedi.conf");
  return true;
}();

}  // namespace

TestPlatform::TestPlatform() : ForwardingPlatform(DefaultPlatform()) {}

void TestPlatform::MessageBox(const std::string& text, int style, const std::string& caption) {
  boxes.push_back({text, style, caption});
}

MonotonicTime TestPlatform::Now() {
  return fakeClock ? fakeNow : ForwardingPlatform::Now();
}

void TestPlatform::SleepFor(std::chrono::nanoseconds duration) {
  if (fakeClock) {
    fakeNow += duration;
  } else {
    ForwardingPlatform::SleepFor(duration);
  }
}

LocalDateTime TestPlatform::LocalNow() {
  if (localTimes.empty()) return ForwardingPlatform::LocalNow();
  size_t index = std::min(localTimesUsed, localTimes.size() - 1);
  ++localTimesUsed;
  return localTimes[index];
}

std::string TestPlatform::SerialDevice(int32_t port) {
  auto found = serialDevices.find(port);
  return found == serialDevices.end() ? std::string() : found->second;
}

std::string TestPlatform::InfraredLibraryPath() {
  return infraredLibraryPath.empty() ? BinFolder() + "libZiRav.so" : infraredLibraryPath;
}

std::string TestPlatform::ComponentFolder() {
  return componentFolder.empty() ? BinFolder() : componentFolder;
}

std::string BinFolder() {
  const char* bin = std::getenv("VIRUZEDI_BIN");
  if (bin && *bin) {
    std::string folder = bin;
    if (folder.back() != '/') folder += '/';
    return folder;
  }
  return ExecutableFolder();
}

TemporaryFolder::TemporaryFolder() : path_(MakeTemporaryFolder("viruzedi-test-")) {}

TemporaryFolder::~TemporaryFolder() {
  std::error_code ignored;
  // Read-only files made by a test must not keep their folder alive.
  for (auto& entry : std::filesystem::recursive_directory_iterator(path_, ignored)) {
    std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
  }
  std::filesystem::remove_all(path_, ignored);
}

std::vector<std::string> FolderNames(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code missing;
  for (const auto& entry : std::filesystem::directory_iterator(folder, missing)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

void PutReaderProgram(const std::string& folder, const std::string& script) {
  std::filesystem::create_directories(folder);
  std::string path = folder + "DO_Duri.exe";
  WriteFile(path, "#!/bin/sh\n" + script);
  std::filesystem::permissions(path, std::filesystem::perms::owner_all);
}

}  // namespace viruzedi::testing
