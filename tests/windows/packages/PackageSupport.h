// What the tests of the Windows Installer packages stand on: a Wine prefix of
// each test's own, the packages that `make windows` made and packages of
// other versions made from the same programs, and what a prefix's registry
// holds of the component.
#pragma once

#include <string>
#include <vector>

#include "tests/windows/WineSupport.h"

namespace viruzedi::testing {

// msiexec's exit statuses as Wine's loader hands them on: the low byte of
// the Windows Installer error.
inline constexpr int kInstallFailure = 1603 & 0xff;   // ERROR_INSTALL_FAILURE: a launch condition
inline constexpr int kPlatformRefused = 1633 & 0xff;  // ERROR_INSTALL_PLATFORM_UNSUPPORTED
// A file that is no package: ERROR_INSTALL_PACKAGE_INVALID on Windows,
// ERROR_FUNCTION_FAILED from Wine's msiexec.
inline constexpr int kPackageInvalid = 1620 & 0xff;
inline constexpr int kWinePackageInvalid = 1627 & 0xff;

// A Wine prefix made anew for one test in a temporary folder and removed
// with the object: a 64-bit Windows with its 32-bit half (kWin64), or a
// 32-bit Windows (kWin32). A prefix that Wine cannot make fails the test.
class OwnWinePrefix {
 public:
  explicit OwnWinePrefix(WindowsTarget system);
  ~OwnWinePrefix();
  OwnWinePrefix(const OwnWinePrefix&) = delete;
  OwnWinePrefix& operator=(const OwnWinePrefix&) = delete;

  bool ready() const { return ready_; }
  const std::string& path() const { return path_; }
  // The Linux path of a file of drive C: "ProgramData/Viruzedi" names
  // C:\ProgramData\Viruzedi.
  std::string OnDriveC(const std::string& relative) const;
  // The Linux path of the user's roaming application data (%APPDATA%).
  std::string ApplicationData() const;

  // Runs a program of Wine's own (a Windows path: through the 64-bit loader
  // for kWin64) or a Windows program given by its Linux path, to its end.
  WindowsOutcome Run(WindowsTarget target, const std::string& program,
                     const std::vector<std::string>& arguments) const;
  // msiexec of the prefix's own system with `arguments`.
  WindowsOutcome Msiexec(const std::vector<std::string>& arguments) const;
  // Waits for the prefix's server to end: then its registry files hold
  // every change made so far.
  void Settle() const;

 private:
  WindowsTarget system_;
  std::string path_;
  bool ready_ = false;
};

// The package that `make windows` made for `target`'s build beside its bin
// folder: Viruzedi-VERSION-x64.msi for win64, -x86.msi for win32. "" after
// failing the test when it is missing.
std::string BuiltPackage(WindowsTarget target);
// The folder of the programs as `target`'s build packages them, ending in "/".
std::string PackagedFolder(WindowsTarget target);
// Makes the package of `target` at `version` from the programs of the built
// package, with the build's own make-package, as `output`; false after
// failing the test.
bool MakePackage(WindowsTarget target, const std::string& version, const std::string& output);
// The component's version with its third number one higher.
std::string HigherVersion();

// The component's registration in a prefix's registry files: every key
// whose name holds its class, interface or type library identifier or its
// ProgID, and each of their values, one line each ("KEY" and "KEY: NAME=DATA")
// in lower case (keys, GUIDs and Windows paths ignore it), sorted. The view
// shows in the key: the 32-bit view's keys are under Wow6432Node.
std::vector<std::string> Registration(const std::string& prefix);
// The registration and every other value, of the machine or of the user,
// whose data names Viruzedi: all that an installation leaves of the
// component in the registry, Windows Installer's records included.
std::vector<std::string> RegistryMentions(const std::string& prefix);
// The DisplayVersion of each installed product named Viruzedi (the
// machine's list of installed programs), sorted.
std::vector<std::string> InstalledVersions(const std::string& prefix);

}  // namespace viruzedi::testing
