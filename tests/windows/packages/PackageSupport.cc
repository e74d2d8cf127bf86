#include "tests/windows/packages/PackageSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "base/Identity.h"
#include "platform/ChildProcess.h"
#include "tests/support/Commands.h"

namespace viruzedi::testing {

namespace {

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// Runs a shell command line in the prefix's environment, its output into
// the prefix's log; its exit status.
int InPrefix(const std::string& prefix, const std::string& commands) {
  std::string command = "exec /usr/bin/env -u DISPLAY -u WAYLAND_DISPLAY WINEPREFIX=" +
                        ShellQuoted(prefix) +
                        " WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml= LANG=C.UTF-8 /bin/sh -c " +
                        ShellQuoted(commands) + " </dev/null >>" + ShellQuoted(prefix + ".log") +
                        " 2>&1";
  return ChildProcess::Start({"/bin/sh", "-c", command}, false)->Wait();
}

// One key of a Wine registry file, its name and values in lower case; a
// value is "NAME=DATA", the default value's name "@", string data without
// its quotes.
struct RegistryKey {
  std::string name;
  std::vector<std::string> values;
};

// Wine's escapes of a quoted text: \\ and \" (nothing of ours needs more).
std::string Unescaped(const std::string& text) {
  std::string plain;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size()) ++i;
    plain += text[i];
  }
  return plain;
}

// The keys of `file`, each prefixed by `root` ("hklm\" for system.reg,
// "hkcu\" for user.reg). Lines of Wine's own (#time=, the header) and
// continued binary data are left out.
std::vector<RegistryKey> ReadRegistry(const std::string& file, const std::string& root) {
  std::vector<RegistryKey> keys;
  std::istringstream lines(ReadFile(file));
  for (std::string line; std::getline(lines, line);) {
    if (line.empty()) continue;
    if (line[0] == '[') {
      size_t end = line.rfind(']');
      keys.push_back({root + Lower(Unescaped(line.substr(1, end - 1))), {}});
      continue;
    }
    if (keys.empty() || (line[0] != '"' && line[0] != '@')) continue;
    std::string name = "@";
    size_t equals = 1;
    if (line[0] == '"') {
      while (equals < line.size() && line[equals] != '"') equals += line[equals] == '\\' ? 2 : 1;
      name = Unescaped(line.substr(1, equals - 1));
      ++equals;
    }
    std::string data = line.substr(std::min(equals + 1, line.size()));
    if (data.size() >= 2 && data.front() == '"' && data.back() == '"') {
      data = Unescaped(data.substr(1, data.size() - 2));
    }
    keys.back().values.push_back(Lower(name + "=" + data));
  }
  return keys;
}

std::vector<RegistryKey> ReadPrefixRegistry(const std::string& prefix) {
  std::vector<RegistryKey> keys = ReadRegistry(prefix + "/system.reg", "hklm\\");
  std::vector<RegistryKey> user = ReadRegistry(prefix + "/user.reg", "hkcu\\");
  keys.insert(keys.end(), user.begin(), user.end());
  return keys;
}

bool IsRegistrationKey(const std::string& key) {
  for (const char* identifier : {kClassId, kInterfaceId, kTypeLibraryId, kProgId}) {
    if (Contains(key, Lower(identifier))) return true;
  }
  return false;
}

void AddKey(const RegistryKey& key, std::vector<std::string>& lines) {
  lines.push_back(key.name);
  for (const std::string& value : key.values) lines.push_back(key.name + ": " + value);
}

std::string BuildFolder(WindowsTarget target) {
  std::string bin = WindowsBinFolder(target);
  return bin.empty() ? "" : bin + "../";
}

}  // namespace

OwnWinePrefix::OwnWinePrefix(WindowsTarget system)
    : system_(system), path_(MakeTemporaryFolder("viruzedi-wine-")) {
  const std::string architecture = system == WindowsTarget::kWin64 ? "win64" : "win32";
  const int made =
      InPrefix(path_, "export WINEARCH=" + architecture +
                          "; timeout -k 5 240 wine wineboot -i && timeout -k 5 60 wineserver -w");
  const bool half = std::filesystem::is_directory(path_ + "/drive_c/windows/syswow64");
  ready_ = made == 0 && half == (system == WindowsTarget::kWin64);
  if (!ready_) {
    ADD_FAILURE() << "Wine cannot make a " << architecture << " prefix in " << path_
                  << " (exit " << made << "; is wine32:i386 installed?):\n"
                  << ReadFile(path_ + ".log");
  }
}

OwnWinePrefix::~OwnWinePrefix() {
  InPrefix(path_, "wineserver -k; wineserver -w");
  std::error_code ignored;
  // Not TemporaryFolder: a prefix holds links to / and to the home folder,
  // whose targets must be left as they are.
  std::filesystem::remove_all(path_, ignored);
  std::filesystem::remove(path_ + ".log", ignored);
}

std::string OwnWinePrefix::OnDriveC(const std::string& relative) const {
  return path_ + "/drive_c/" + relative;
}

std::string OwnWinePrefix::ApplicationData() const {
  for (const std::string& user : FolderNames(OnDriveC("users"))) {
    if (user != "Public") return OnDriveC("users/" + user + "/AppData/Roaming");
  }
  ADD_FAILURE() << "no user folder in " << OnDriveC("users");
  return OnDriveC("users/nessuno/AppData/Roaming");
}

WindowsOutcome OwnWinePrefix::Run(WindowsTarget target, const std::string& program,
                                  const std::vector<std::string>& arguments) const {
  // As on a workstation: the test process's own machine file is not its.
  return WindowsProgram(path_, target, program, arguments, {{"VIRUZEDI_CONFIG_MACHINE", ""}}, 300)
      .Finish();
}

WindowsOutcome OwnWinePrefix::Msiexec(const std::vector<std::string>& arguments) const {
  return Run(system_, "C:\\windows\\system32\\msiexec.exe", arguments);
}

void OwnWinePrefix::Settle() const {
  EXPECT_EQ(InPrefix(path_, "timeout -k 5 60 wineserver -w"), 0) << "the Wine server of " << path_
                                                                  << " did not end";
}

std::string BuiltPackage(WindowsTarget target) {
  const std::string build = BuildFolder(target);
  if (build.empty()) return "";
  const std::string name = std::string("Viruzedi-") + kVersion +
                           (target == WindowsTarget::kWin64 ? "-x64.msi" : "-x86.msi");
  const std::string package = std::filesystem::path(build + name).lexically_normal();
  if (!std::filesystem::exists(package)) {
    ADD_FAILURE() << "no " << package << " (make windows makes it)";
    return "";
  }
  return package;
}

std::string PackagedFolder(WindowsTarget target) {
  return BuildFolder(target) + "package/files" +
         (target == WindowsTarget::kWin64 ? "64/" : "32/");
}

bool MakePackage(WindowsTarget target, const std::string& version, const std::string& output) {
  const std::string build = BuildFolder(target);
  if (build.empty()) return false;
  const int status = RunProcess({"/bin/sh", build + "package/make-package", version, output});
  EXPECT_EQ(status, 0) << "make-package " << version << " of the " << target << " build";
  return status == 0 && std::filesystem::exists(output);
}

std::string HigherVersion() {
  const std::string version = kVersion;
  const size_t last = version.rfind('.');
  return version.substr(0, last + 1) + std::to_string(std::stoi(version.substr(last + 1)) + 1);
}

std::vector<std::string> Registration(const std::string& prefix) {
  std::vector<std::string> lines;
  for (const RegistryKey& key : ReadPrefixRegistry(prefix)) {
    if (IsRegistrationKey(key.name)) AddKey(key, lines);
  }
  std::sort(lines.begin(), lines.end());
  return lines;
}

std::vector<std::string> RegistryMentions(const std::string& prefix) {
  std::vector<std::string> lines;
  for (const RegistryKey& key : ReadPrefixRegistry(prefix)) {
    if (IsRegistrationKey(key.name) || Contains(key.name, "viruzedi")) {
      AddKey(key, lines);
      continue;
    }
    for (const std::string& value : key.values) {
      if (Contains(value, "viruzedi")) lines.push_back(key.name + ": " + value);
    }
  }
  std::sort(lines.begin(), lines.end());
  return lines;
}

std::vector<std::string> InstalledVersions(const std::string& prefix) {
  std::vector<std::string> versions;
  for (const RegistryKey& key : ReadPrefixRegistry(prefix)) {
    if (!Contains(key.name, "\\uninstall\\") ||
        std::find(key.values.begin(), key.values.end(), "displayname=viruzedi") ==
            key.values.end()) {
      continue;
    }
    for (const std::string& value : key.values) {
      if (value.rfind("displayversion=", 0) == 0) versions.push_back(value.substr(15));
    }
  }
  std::sort(versions.begin(), versions.end());
  return versions;
}

}  // namespace viruzedi::testing
