// The Windows Installer packages of the two Windows builds as workstations
// meet them: each installed with msiexec into a Wine prefix of its test's
// own (a 64-bit Windows for the x64 package, a 32-bit one for the x86
// package), used through its automation server from VBScript and through
// viruzedi.exe, upgraded in place by a package of a higher version made
// from the same programs, and removed; the registration it wrote is
// compared with what the server's own DllRegisterServer writes. Packages
// that msiexec must refuse change nothing.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "base/Identity.h"
#include "tests/support/TestPlatform.h"
#include "tests/windows/packages/PackageSupport.h"

namespace viruzedi::testing {
namespace {

const std::vector<std::string> kPrograms{"Viruzedi11600.dll", "viruzedi.exe", "DO_Duri.exe",
                                         "ZiRav.dll"};
constexpr char kMachineFile[] = "C:\\ProgramData\\Viruzedi\\viruzedi.conf";

// Where each server goes, as drive C's folder and as Windows names it.
struct Place {
  WindowsTarget bits;
  std::string folder;   // under drive_c
  std::string windows;  // C:\...
  std::string regsvr32;
  std::string cscript;
};
const Place kProgramFiles64{WindowsTarget::kWin64, "Program Files/Viruzedi",
                            "C:\\Program Files\\Viruzedi\\",
                            "C:\\windows\\system32\\regsvr32.exe",
                            "C:\\windows\\system32\\cscript.exe"};
const Place kProgramFilesX86{WindowsTarget::kWin32, "Program Files (x86)/Viruzedi",
                             "C:\\Program Files (x86)\\Viruzedi\\",
                             "C:\\windows\\syswow64\\regsvr32.exe",
                             "C:\\windows\\syswow64\\cscript.exe"};
// 32-bit Windows has one Program Files, and its own programs in system32.
const Place kProgramFiles32{WindowsTarget::kWin32, "Program Files/Viruzedi",
                            "C:\\Program Files\\Viruzedi\\",
                            "C:\\windows\\system32\\regsvr32.exe",
                            "C:\\windows\\system32\\cscript.exe"};

std::string Scripts() { return WindowsPath(VIRUZEDI_SOURCE_DIR "/tests/automation/scripts"); }

bool Exists(const std::string& path) { return std::filesystem::exists(path); }

// Every program of the package in its place, as its build packaged it.
void ExpectPrograms(const OwnWinePrefix& windows, const Place& place) {
  for (const std::string& program : kPrograms) {
    EXPECT_TRUE(ReadFile(windows.OnDriveC(place.folder + "/" + program)) ==
                ReadFile(PackagedFolder(place.bits) + program))
        << program << " in " << place.windows;
  }
}

// registered.vbs (creates the class, a property round trip) under the
// place's own script host: the host's bitness picks the server.
void ExpectServerWorks(const OwnWinePrefix& windows, const Place& place) {
  WindowsOutcome script =
      windows.Run(place.bits, place.cscript, {"//nologo", Scripts() + "\\registered.vbs"});
  EXPECT_EQ(script.status, 100) << place.cscript << "\n" << script;
}

// The packaged server registered by its own DllRegisterServer where the
// package had put it, after the package is gone.
void RegisterWithRegsvr32(const OwnWinePrefix& windows, const Place& place) {
  const std::string folder = windows.OnDriveC(place.folder);
  std::filesystem::create_directories(folder);
  std::filesystem::copy_file(PackagedFolder(place.bits) + kComponentFileName,
                             folder + "/" + kComponentFileName,
                             std::filesystem::copy_options::overwrite_existing);
  WindowsOutcome registered =
      windows.Run(place.bits, place.regsvr32, {"/s", place.windows + kComponentFileName});
  EXPECT_EQ(registered.status, 0) << place.regsvr32 << "\n" << registered;
}

// The line of `impostazioni` that shows setting `name`: "NAME  VALUE  ORIGIN".
std::string SettingLine(const std::string& shown, const std::string& name) {
  std::istringstream lines(shown);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind(name + "  ", 0) == 0) return line;
  }
  return "";
}

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// What `impostazioni` shows when run by a place's viruzedi.exe.
std::string Impostazioni(const OwnWinePrefix& windows, const Place& place,
                         const std::vector<std::string>& options = {}) {
  std::vector<std::string> arguments = options;
  arguments.push_back("impostazioni");
  WindowsOutcome shown = windows.Run(place.bits, place.windows + "viruzedi.exe", arguments);
  EXPECT_EQ(shown.status, 0) << shown;
  return shown.output;
}

TEST(Packages, X64InstallsBothServersUpgradesInPlaceAndLeavesOnlyTheUsersSettings) {
  const std::string package = BuiltPackage(WindowsTarget::kWin64);
  const std::string package32 = BuiltPackage(WindowsTarget::kWin32);
  ASSERT_FALSE(package.empty() || package32.empty());
  OwnWinePrefix windows(WindowsTarget::kWin64);
  ASSERT_TRUE(windows.ready());

  WindowsOutcome refused = windows.Msiexec({"/i", WindowsPath(package32), "/qn"});
  EXPECT_EQ(refused.status, kInstallFailure) << "the x86 package on 64-bit Windows\n" << refused;
  EXPECT_FALSE(Exists(windows.OnDriveC(kProgramFiles32.folder)));

  WindowsOutcome installed = windows.Msiexec({"/i", WindowsPath(package), "/qn"});
  ASSERT_EQ(installed.status, 0) << installed;
  ExpectPrograms(windows, kProgramFiles64);
  ExpectPrograms(windows, kProgramFilesX86);
  const std::string settings = windows.OnDriveC("ProgramData/Viruzedi");
  EXPECT_TRUE(Exists(settings + "/viruzedi.conf.esempio"));
  EXPECT_FALSE(Exists(settings + "/viruzedi.conf"));
  ExpectServerWorks(windows, kProgramFiles64);
  ExpectServerWorks(windows, kProgramFilesX86);

  // The example sets nothing (only the list of files names it); files
  // written after its advice (single quotes keep backslashes) are found in
  // Windows' places, the user's over the machine's.
  const std::string example = Impostazioni(
      windows, kProgramFiles64, {"--config", "C:\\ProgramData\\Viruzedi\\viruzedi.conf.esempio"});
  const size_t given = example.find("(--config)");
  EXPECT_TRUE(given != std::string::npos && given == example.rfind("(--config)")) << example;
  const std::string machineSettings = "letture = 'C:\\Letture'\nterminale = 'dir:D:\\Macchina'\n";
  WriteFile(settings + "/viruzedi.conf", machineSettings);
  std::filesystem::create_directories(windows.ApplicationData() + "/Viruzedi");
  WriteFile(windows.ApplicationData() + "/Viruzedi/viruzedi.conf", "terminale = 'dir:E:\\Utente'\n");
  for (const Place& place : {kProgramFiles64, kProgramFilesX86}) {
    const std::string shown = Impostazioni(windows, place);
    const std::string letture = SettingLine(shown, "letture");
    EXPECT_NE(letture.find(" C:\\Letture "), std::string::npos) << shown;
    EXPECT_TRUE(EndsWith(letture, std::string("  machine file ") + kMachineFile)) << shown;
    const std::string terminale = SettingLine(shown, "terminale");
    EXPECT_NE(terminale.find("dir:E:\\Utente  "), std::string::npos) << shown;
    EXPECT_NE(terminale.find("  user file C:\\users\\"), std::string::npos) << shown;
    EXPECT_TRUE(EndsWith(terminale, "\\AppData\\Roaming\\Viruzedi\\viruzedi.conf")) << shown;
  }
  windows.Settle();
  const std::vector<std::string> registration = Registration(windows.path());
  ASSERT_FALSE(registration.empty());

  TemporaryFolder made;
  const std::string higher = made / "Viruzedi-higher-x64.msi";
  ASSERT_TRUE(MakePackage(WindowsTarget::kWin64, HigherVersion(), higher));
  WindowsOutcome upgraded = windows.Msiexec({"/i", WindowsPath(higher), "/qn"});
  ASSERT_EQ(upgraded.status, 0) << upgraded;
  WindowsOutcome older = windows.Msiexec({"/i", WindowsPath(package), "/qn"});
  EXPECT_EQ(older.status, kInstallFailure) << "an older version over a newer one\n" << older;
  ExpectPrograms(windows, kProgramFiles64);
  ExpectPrograms(windows, kProgramFilesX86);
  ExpectServerWorks(windows, kProgramFilesX86);
  EXPECT_EQ(ReadFile(settings + "/viruzedi.conf"), machineSettings);
  windows.Settle();
  EXPECT_EQ(InstalledVersions(windows.path()), std::vector<std::string>{HigherVersion()});
  EXPECT_EQ(Registration(windows.path()), registration);

  WindowsOutcome removed = windows.Msiexec({"/x", WindowsPath(higher), "/qn"});
  ASSERT_EQ(removed.status, 0) << removed;
  EXPECT_FALSE(Exists(windows.OnDriveC(kProgramFiles64.folder)));
  EXPECT_FALSE(Exists(windows.OnDriveC(kProgramFilesX86.folder)));
  EXPECT_EQ(FolderNames(settings), std::vector<std::string>{"viruzedi.conf"});
  EXPECT_EQ(ReadFile(settings + "/viruzedi.conf"), machineSettings);
  windows.Settle();
  EXPECT_EQ(RegistryMentions(windows.path()), std::vector<std::string>{});

  RegisterWithRegsvr32(windows, kProgramFiles64);
  RegisterWithRegsvr32(windows, kProgramFilesX86);
  windows.Settle();
  EXPECT_EQ(Registration(windows.path()), registration)
      << "what the package registered differs from what DllRegisterServer writes";
}

TEST(Packages, X86InstallsOn32BitWindowsOnlyAndReplacesItsOwnVersions) {
  const std::string package = BuiltPackage(WindowsTarget::kWin32);
  const std::string package64 = BuiltPackage(WindowsTarget::kWin64);
  ASSERT_FALSE(package.empty() || package64.empty());
  OwnWinePrefix windows(WindowsTarget::kWin32);
  ASSERT_TRUE(windows.ready());

  // What msiexec cannot use is refused before it changes anything.
  TemporaryFolder made;
  const std::string bytes = ReadFile(package);
  WriteFile(made / "troncato.msi", bytes.substr(0, bytes.size() / 2));
  WriteFile(made / "testo.msi", "Viruzedi\r\n");
  for (const std::string& broken : {made / "troncato.msi", made / "testo.msi"}) {
    WindowsOutcome refused = windows.Msiexec({"/i", WindowsPath(broken), "/qn"});
    EXPECT_TRUE(refused.status == kPackageInvalid || refused.status == kWinePackageInvalid)
        << broken << "\n" << refused;
  }
  WindowsOutcome wrong = windows.Msiexec({"/i", WindowsPath(package64), "/qn"});
  EXPECT_EQ(wrong.status, kPlatformRefused) << "the x64 package on 32-bit Windows\n" << wrong;
  windows.Settle();
  EXPECT_EQ(RegistryMentions(windows.path()), std::vector<std::string>{});
  EXPECT_FALSE(Exists(windows.OnDriveC(kProgramFiles32.folder)));

  WindowsOutcome installed = windows.Msiexec({"/i", WindowsPath(package), "/qn"});
  ASSERT_EQ(installed.status, 0) << installed;
  ExpectPrograms(windows, kProgramFiles32);
  EXPECT_TRUE(Exists(windows.OnDriveC("ProgramData/Viruzedi/viruzedi.conf.esempio")));
  ExpectServerWorks(windows, kProgramFiles32);
  std::string shown = Impostazioni(windows, kProgramFiles32);
  EXPECT_NE(shown.find("  machine file " + std::string(kMachineFile) + " (not there)\n"),
            std::string::npos)
      << shown;
  windows.Settle();
  const std::vector<std::string> registration = Registration(windows.path());
  ASSERT_FALSE(registration.empty());

  // A higher version replaces it, and so does the same version built again
  // (a package of its own product code).
  const std::string higher = made / "Viruzedi-higher-x86.msi";
  const std::string rebuilt = made / "Viruzedi-rebuilt-x86.msi";
  ASSERT_TRUE(MakePackage(WindowsTarget::kWin32, HigherVersion(), higher));
  ASSERT_TRUE(MakePackage(WindowsTarget::kWin32, HigherVersion(), rebuilt));
  for (const std::string& replacing : {higher, rebuilt}) {
    WindowsOutcome replaced = windows.Msiexec({"/i", WindowsPath(replacing), "/qn"});
    ASSERT_EQ(replaced.status, 0) << replacing << "\n" << replaced;
  }
  ExpectServerWorks(windows, kProgramFiles32);
  windows.Settle();
  EXPECT_EQ(InstalledVersions(windows.path()), std::vector<std::string>{HigherVersion()});
  EXPECT_EQ(Registration(windows.path()), registration);

  WindowsOutcome removed = windows.Msiexec({"/x", WindowsPath(rebuilt), "/qn"});
  ASSERT_EQ(removed.status, 0) << removed;
  EXPECT_FALSE(Exists(windows.OnDriveC(kProgramFiles32.folder)));
  EXPECT_FALSE(Exists(windows.OnDriveC("ProgramData/Viruzedi")));
  windows.Settle();
  EXPECT_EQ(RegistryMentions(windows.path()), std::vector<std::string>{});

  RegisterWithRegsvr32(windows, kProgramFiles32);
  windows.Settle();
  EXPECT_EQ(Registration(windows.path()), registration)
      << "what the package registered differs from what DllRegisterServer writes";
}

}  // namespace
}  // namespace viruzedi::testing
