#include <filesystem>
#include <fstream>

#include "tests/database/support/RawDatabase.h"
#include "tests/support/TestPlatform.h"

namespace viruzedi::testing {

bool PermissionsIgnored(const std::string& folder) {
  std::string probe = folder + "/permission-probe";
  WriteFile(probe, "x");
  std::filesystem::permissions(probe, std::filesystem::perms::none);
  bool readable = std::ifstream(probe).is_open();
  std::filesystem::permissions(probe, std::filesystem::perms::owner_all);
  std::filesystem::remove(probe);
  return readable;
}

}  // namespace viruzedi::testing
