#include "tests/windows/WineSupport.h"

#include "platform/FileSystem.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <thread>

#include "tests/support/Commands.h"

namespace viruzedi::testing {

namespace {

using namespace std::chrono_literals;

std::string EnvironmentOr(const char* name, const std::string& fallback) {
  const char* value = std::getenv(name);
  return value && *value ? std::string(value) : fallback;
}

std::string WithoutCarriageReturns(std::string text) {
  std::string plain;
  plain.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    plain += text[i];
  }
  return plain;
}

}  // namespace

const char* TargetName(WindowsTarget target) {
  return target == WindowsTarget::kWin64 ? "win64" : "win32";
}

std::string WindowsBinFolder(WindowsTarget target) {
  std::string folder = target == WindowsTarget::kWin64
                           ? EnvironmentOr("VIRUZEDI_WIN64_BIN", VIRUZEDI_WIN64_DEFAULT)
                           : EnvironmentOr("VIRUZEDI_WIN32_BIN", VIRUZEDI_WIN32_DEFAULT);
  if (folder.back() != '/') folder += '/';
  if (!std::filesystem::exists(folder + "viruzedi.exe")) {
    ADD_FAILURE() << "no " << TargetName(target) << " build: " << folder
                  << "viruzedi.exe is missing (make windows builds it)";
    return "";
  }
  return folder;
}

std::string WinePrefix() {
  std::string prefix = EnvironmentOr("VIRUZEDI_WINEPREFIX", VIRUZEDI_WINEPREFIX_DEFAULT);
  if (!std::filesystem::is_directory(prefix + "/dosdevices")) {
    ADD_FAILURE() << "no Wine prefix at '" << prefix
                  << "': the tests run through ctest, whose fixture wine-prefix-start makes it "
                     "(or VIRUZEDI_WINEPREFIX names one made already)";
    return "";
  }
  return prefix;
}

std::string WindowsPath(const std::string& linuxPath) {
  std::string path = "Z:";
  for (char c : std::filesystem::absolute(linuxPath).lexically_normal().string()) {
    path += c == '/' ? '\\' : c;
  }
  return path;
}

std::string WineSystemProgram(WindowsTarget target, const std::string& name) {
  return std::string(target == WindowsTarget::kWin64 ? "C:\\windows\\system32\\"
                                                     : "C:\\windows\\syswow64\\") +
         name;
}

std::string SqliteConnection(const std::string& linuxPath) {
  return "Driver=SQLite3;Database=" + linuxPath + ";Timeout=5000;NoCreat=1";
}

namespace {

// The head of a stream: a crash under Wine prints the debugger's whole
// report, of which the first lines say enough.
std::string Head(const std::string& text) {
  constexpr int kLines = 12;
  size_t end = 0;
  for (int line = 0; line < kLines; ++line) {
    end = text.find('\n', end);
    if (end == std::string::npos) return text;
    ++end;
  }
  if (end == text.size()) return text;
  return text.substr(0, end) + "[... " + std::to_string(text.size() - end) + " more bytes]\n";
}

}  // namespace

std::ostream& operator<<(std::ostream& out, const WindowsOutcome& outcome) {
  return out << "exit " << outcome.status << "\n--- standard output:\n"
             << Head(outcome.output) << "--- standard error:\n"
             << Head(outcome.errors);
}

WindowsProgram::WindowsProgram(WindowsTarget target, const std::string& program,
                               const std::vector<std::string>& arguments,
                               const Variables& variables, int allowance) {
  const std::string prefix = WinePrefix();
  const std::string folder = WindowsBinFolder(target);
  if (prefix.empty() || folder.empty()) return;
  const bool system = program.find('\\') != std::string::npos;
  const std::string path =
      system || program.find('/') != std::string::npos ? program : folder + program;
  Start(prefix, target, path, system, arguments, variables, allowance);
}

WindowsProgram::WindowsProgram(const std::string& prefix, WindowsTarget target,
                               const std::string& program,
                               const std::vector<std::string>& arguments,
                               const Variables& variables, int allowance) {
  Start(prefix, target, program, program.find('\\') != std::string::npos, arguments, variables,
        allowance);
}

void WindowsProgram::Start(const std::string& prefix, WindowsTarget target,
                           const std::string& path, bool system,
                           const std::vector<std::string>& arguments, const Variables& variables,
                           int allowance) {
  Variables environment{{"WINEPREFIX", prefix},
                        {"WINEDEBUG", "-all"},
                        {"WINEDLLOVERRIDES", "mscoree,mshtml="},
                        // The SQLite driver has no wide entry points: the
                        // driver manager converts SQL text through the locale.
                        {"LANG", "C.UTF-8"},
                        {"LC_ALL", "C.UTF-8"}};
  for (const auto& [name, value] : variables) environment[name] = value;
  std::string command = "exec /usr/bin/env -u DISPLAY -u WAYLAND_DISPLAY";
  for (const auto& [name, value] : environment) command += " " + ShellQuoted(name + "=" + value);
  // A program that hangs ends the test's wait, not the whole run.
  const std::string loader = system && target == WindowsTarget::kWin64
                                 ? EnvironmentOr("VIRUZEDI_WINE64", "/usr/lib/wine/wine64")
                                 : "wine";
  command += " timeout -k 5 " + std::to_string(allowance) + " " + ShellQuoted(loader) + " " +
             ShellQuoted(path);
  for (const std::string& argument : arguments) command += " " + ShellQuoted(argument);
  command += " </dev/null >" + ShellQuoted(streams_ / "out") + " 2>" +
             ShellQuoted(streams_ / "err");
  child_ = ChildProcess::Start({"/bin/sh", "-c", command}, false);
}

WindowsOutcome WindowsProgram::Finish() {
  WindowsOutcome outcome;
  if (!child_) return outcome;
  outcome.status = child_->Wait();
  outcome.output = WithoutCarriageReturns(ReadFile(streams_ / "out"));
  outcome.errors = WithoutCarriageReturns(ReadFile(streams_ / "err"));
  if (outcome.status == 124) outcome.errors += "\n(stopped: the program did not end in time)\n";
  return outcome;
}

bool WindowsProgram::WaitForOutput(const std::string& text, std::chrono::milliseconds wait) {
  const auto deadline = std::chrono::steady_clock::now() + wait;
  while (ReadFile(streams_ / "out").find(text) == std::string::npos) {
    if (!child_ || std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(50ms);
  }
  return true;
}

void WindowsProgram::Stop() {
  if (child_) child_->Terminate();
}

WindowsOutcome RunWindows(WindowsTarget target, const std::string& program,
                          const std::vector<std::string>& arguments, const Variables& variables) {
  return WindowsProgram(target, program, arguments, variables).Finish();
}

WinePort::WinePort(const std::string& device) {
  const std::string prefix = WinePrefix();
  if (prefix.empty()) return;
  for (int number = 10; number <= 255; ++number) {
    std::string link = prefix + "/dosdevices/com" + std::to_string(number);
    std::error_code taken;
    std::filesystem::create_symlink(device, link, taken);
    if (!taken) {
      number_ = number;
      link_ = link;
      return;
    }
  }
  ADD_FAILURE() << "no free COM port in " << prefix;
}

WinePort::~WinePort() {
  std::error_code ignored;
  if (!link_.empty()) std::filesystem::remove(link_, ignored);
}

Simulator::Simulator(const std::string& program, const std::vector<std::string>& arguments) {
  std::vector<std::string> argv{BinFolder() + program};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  process_ = ChildProcess::Start(argv, true);
  device_ = process_->ReadLine(10s);
  if (device_.empty()) ADD_FAILURE() << program << " did not start";
}

Simulator::~Simulator() { process_->Terminate(); }

std::string Simulator::NextLine(std::chrono::milliseconds wait) { return process_->ReadLine(wait); }

std::string ImportedReaderFile(const std::string& path) {
  const std::string folder = ParentFolder(path);
  const std::string prefix = BaseName(path) + ".importato-";
  std::string newest;
  for (const std::string& name : FolderNames(folder)) {
    if (name.rfind(prefix, 0) == 0) newest = folder + "/" + name;
  }
  return newest;
}

}  // namespace viruzedi::testing
