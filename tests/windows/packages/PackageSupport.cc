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

// Wine's escapes of a quoted text: \\ and \" (nothing of ours needs more).
std::string Unescaped(const std::string& text) {
  std::string plain;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size()) ++i;
    plain += text[i];
  }
  return plain;
}

// A prefix's registry (system.reg as "hklm\", user.reg as "hkcu\") in lower
// case, one line per key ("KEY") and per value ("KEY: NAME=DATA", "@" the
// default value's name, string data without quotes), in the files' order.
// Wine's own lines (#time=, the header) and continued binary data are left
// out.
std::vector<std::string> RegistryLines(const std::string& prefix) {
  std::vector<std::string> lines;
  for (const char* file : {"system.reg", "user.reg"}) {
    std::istringstream text(ReadFile(prefix + "/" + file));
    std::string key;
    for (std::string line; std::getline(text, line);) {
      if (line.empty()) continue;
      if (line[0] == '[') {
        key = (file[0] == 's' ? "hklm\\" : "hkcu\\") +
              Lower(Unescaped(line.substr(1, line.rfind(']') - 1)));
        lines.push_back(key);
        continue;
      }
      if (key.empty() || (line[0] != '"' && line[0] != '@')) continue;
      size_t equals = 1;
      while (line[0] == '"' && equals < line.size() && line[equals] != '"') {
        equals += line[equals] == '\\' ? 2 : 1;
      }
      std::string name = line[0] == '@' ? "@" : Unescaped(line.substr(1, equals - 1));
      std::string data = line.substr(std::min(equals + (line[0] == '@' ? 1 : 2), line.size()));
      if (data.size() >= 2 && data.front() == '"' && data.back() == '"') {
        data = Unescaped(data.substr(1, data.size() - 2));
      }
      lines.push_back(key + ": " + Lower(name + "=" + data));
    }
  }
  return lines;
}

// The key of a line of RegistryLines.
std::string KeyOf(const std::string& line) { return line.substr(0, line.find(": ")); }

bool IsRegistration(const std::string& line) {
  for (const char* identifier : {kClassId, kInterfaceId, kTypeLibraryId, kProgId}) {
    if (Contains(KeyOf(line), Lower(identifier))) return true;
  }
  return false;
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
  std::vector<std::string> lines = RegistryLines(prefix);
  std::erase_if(lines, [](const std::string& line) { return !IsRegistration(line); });
  std::sort(lines.begin(), lines.end());
  return lines;
}

std::vector<std::string> RegistryMentions(const std::string& prefix) {
  std::vector<std::string> lines = RegistryLines(prefix);
  std::erase_if(lines, [](const std::string& line) {
    return !IsRegistration(line) && !Contains(line, "viruzedi");
  });
  std::sort(lines.begin(), lines.end());
  return lines;
}

std::vector<std::string> InstalledVersions(const std::string& prefix) {
  const std::vector<std::string> lines = RegistryLines(prefix);
  std::vector<std::string> versions;
  for (const std::string& line : lines) {
    const std::string key = KeyOf(line);
    if (!Contains(key, "\\uninstall\\") || line != key + ": displayname=viruzedi") continue;
    for (const std::string& value : lines) {
      if (value.rfind(key + ": displayversion=", 0) == 0) {
        versions.push_back(value.substr(key.size() + 17));
      }
    }
  }
  std::sort(versions.begin(), versions.end());
  return versions;
}

}  // namespace viruzedi::testing
