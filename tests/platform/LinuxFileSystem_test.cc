// What the Linux file system alone does; the contract of every platform's
// file system is in contract/FileSystem_test.cc.
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "base/Errors.h"
#include "platform/FileSystem.h"
#include "tests/support/ErrorOf.h"
#include "tests/support/TestPlatform.h"

namespace viruzedi {
namespace {

using testing::ErrorOf;
using testing::ReadFile;
using testing::TemporaryFolder;
using testing::WriteFile;

// The download folder and the system's temporary folder are often on two
// file systems (a tmpfs), where a rename cannot move a file.
TEST(LinuxFileSystem, MoveAcrossFileSystemsCopiesWholeAndNeverReplaces) {
  if (!std::filesystem::is_directory("/dev/shm")) GTEST_SKIP() << "no /dev/shm";
  TemporaryFolder folder;
  std::string source = "/dev/shm/viruzedi-move-" + std::to_string(getpid()) + ".tmp";
  auto files = MakeLocalFileSystem();
  std::string rows(200000, 'r');
  WriteFile(source, rows);
  WriteFile(folder / "taken.TMP", "earlier");
  EXPECT_EQ(ErrorOf([&] { files->MoveFile(source, folder / "taken.TMP"); }), kFileAlreadyExists);
  EXPECT_EQ(ReadFile(folder / "taken.TMP"), "earlier");
  EXPECT_EQ(ReadFile(source), rows);
  files->MoveFile(source, folder / "moved.TMP");
  EXPECT_FALSE(files->FileExists(source));
  EXPECT_EQ(ReadFile(folder / "moved.TMP"), rows);
  // Nothing is left beside it by the copy.
  size_t entries = 0;
  for (auto& entry : std::filesystem::directory_iterator(folder.path())) {
    (void)entry;
    ++entries;
  }
  EXPECT_EQ(entries, 2u);
}

}  // namespace
}  // namespace viruzedi
