// What the file system of every platform does, run against each system's
// own (MakeLocalFileSystem): on Linux in test_platform, on Windows in
// test_platform_contract.exe under Wine. What one system alone does is
// tested beside it (LinuxFileSystem_test.cc, win32/).
#include "platform/FileSystem.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <functional>
#include <set>
#include <thread>

#include "base/Errors.h"
#include "base/Fingerprint.h"
#include "platform/AsideFile.h"
#include "platform/Windows1252.h"
#include "tests/support/TestPlatform.h"
#include "tests/support/ErrorOf.h"

namespace viruzedi {
namespace {

using testing::ReadFile;
using testing::TemporaryFolder;
using testing::WriteFile;

using testing::ErrorOf;

std::vector<std::string> ReadLines(FileSystem& files, const std::string& path) {
  std::vector<std::string> lines;
  auto stream = files.OpenTextFile(path);
  while (!stream->AtEndOfStream()) lines.push_back(stream->ReadLine());
  stream->Close();
  return lines;
}

TEST(TextStream, EndsLinesAtCrLfLfOrLoneCrAndReadsWindows1252) {
  TemporaryFolder folder;
  auto files = MakeLocalFileSystem();
  struct Case {
    std::string bytes;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\r\nb\r\n", {"a", "b"}},
      {"a\nb", {"a", "b"}},
      {"a\rb\r", {"a", "b"}},
      {"a\r\n\r\nb", {"a", "", "b"}},
      {"\n", {""}},
      {"Quantit\xE0;\x80;\x81", {"Quantità;€;\xC2\x81"}},
      // A file that opens with the UTF-8 mark was saved as UTF-8.
      {"\xEF\xBB\xBF" "Caff\xC3\xA8;1\r\nB", {"Caffè;1", "B"}},
      {"\xEF\xBB\xBF", {}},
      {"\xEF\xBB\xBF\r\n", {""}},
      // Only at the start: elsewhere the bytes are Windows-1252 characters.
      {"a\xEF\xBB\xBF", {"a\xC3\xAF\xC2\xBB\xC2\xBF"}},
  };
  for (const Case& c : cases) {
    WriteFile(folder / "f.txt", c.bytes);
    EXPECT_EQ(ReadLines(*files, folder / "f.txt"), c.lines) << c.bytes;
  }
  // A CR LF split across the read blocks is still one line end.
  std::string big(65535, 'x');
  WriteFile(folder / "big.txt", big + "\r\nlast");
  EXPECT_EQ(ReadLines(*files, folder / "big.txt"), (std::vector<std::string>{big, "last"}));

  auto stream = files->OpenTextFile(folder / "f.txt");
  while (!stream->AtEndOfStream()) stream->ReadLine();
  EXPECT_EQ(ErrorOf([&] { stream->ReadLine(); }), kInputPastEndOfFile);
  EXPECT_EQ(ErrorOf([&] { files->OpenTextFile(folder / "missing.txt"); }), kFileNotFound);
  EXPECT_EQ(ErrorOf([&] { files->OpenTextFile(folder / "no/missing.txt"); }), kPathNotFound);
}

// The fingerprint is of the bytes as they lie on disk, whatever the lines
// made of them: a byte-order mark and line ends count, and a stream read
// only in part is read to its end first.
TEST(TextStream, TheFingerprintIsOfTheWholeFileAsItLiesOnDisk) {
  TemporaryFolder folder;
  auto files = MakeLocalFileSystem();
  const std::string bytes = "\xEF\xBB\xBF" "A1;1\r\nB\x80;2\rC;3";
  WriteFile(folder / "f.txt", bytes);
  auto stream = files->OpenTextFile(folder / "f.txt");
  stream->ReadLine();
  EXPECT_EQ(stream->BytesFingerprint(), FingerprintOf(bytes));
  EXPECT_TRUE(stream->AtEndOfStream());
  // Big enough to span the stream's blocks.
  const std::string big(200000, 'x');
  WriteFile(folder / "g.txt", big);
  EXPECT_EQ(files->OpenTextFile(folder / "g.txt")->BytesFingerprint(), FingerprintOf(big));
  EXPECT_NE(FingerprintOf(bytes), FingerprintOf(bytes + "\n"));
  EXPECT_EQ(FingerprintOf(bytes).size(), 32u);
}

// One folder, one name: another spelling of it gives the same text, and a
// folder not there yet is named by its parent's name, without being made.
TEST(FileSystem, AFolderHasOneCanonicalNameWhateverItsSpelling) {
  TemporaryFolder folder;
  auto files = MakeLocalFileSystem();
  files->CreateFolder(folder / "Letture");
  const std::string name = files->CanonicalFolder(folder / "Letture");
  EXPECT_EQ(files->CanonicalFolder(JoinPath(folder / "Letture", "..") + PathSeparator() +
                                   "Letture"),
            name);
  EXPECT_EQ(files->CanonicalFolder(folder / "Letture" + PathSeparator()), name);
  const std::string missing = files->CanonicalFolder(folder / "Letture" + PathSeparator() + "nuova");
  EXPECT_EQ(missing, JoinPath(name, "nuova"));
  EXPECT_FALSE(files->FolderExists(folder / "Letture" + PathSeparator() + "nuova"));
}

TEST(FileSystem, FoldersAreCreatedOneLevelAtATime) {
  TemporaryFolder folder;
  auto files = MakeLocalFileSystem();
  EXPECT_FALSE(files->FolderExists(folder / "_Letture"));
  files->CreateFolder(folder / "_Letture");
  EXPECT_TRUE(files->FolderExists(folder / "_Letture"));
  EXPECT_EQ(ErrorOf([&] { files->CreateFolder(folder / "_Letture"); }), kFileAlreadyExists);
  EXPECT_EQ(ErrorOf([&] { files->CreateFolder(folder / "a/b"); }), kPathNotFound);
  EXPECT_FALSE(files->FileExists(folder / "_Letture"));
}

TEST(FileSystem, DeleteRefusesAReadOnlyFileUnlessForced) {
  TemporaryFolder folder;
  auto files = MakeLocalFileSystem();
  WriteFile(folder / "old.tmp", "x");
  // Read-only as each system has it: no write bits, or the attribute.
  std::filesystem::permissions(folder / "old.tmp", std::filesystem::perms::owner_read |
                                                       std::filesystem::perms::group_read |
                                                       std::filesystem::perms::others_read);
  EXPECT_EQ(ErrorOf([&] { files->DeleteFile(folder / "old.tmp", false); }), kPermissionDenied);
  EXPECT_TRUE(files->FileExists(folder / "old.tmp"));
  files->DeleteFile(folder / "old.tmp", true);
  EXPECT_FALSE(files->FileExists(folder / "old.tmp"));
  EXPECT_EQ(ErrorOf([&] { files->DeleteFile(folder / "old.tmp", false); }), kFileNotFound);
}

TEST(FileSystem, MoveNeverReplacesAFile) {
  TemporaryFolder folder;
  auto files = MakeLocalFileSystem();
  WriteFile(folder / "a.tmp", "rows");
  WriteFile(folder / "b.TMP", "earlier");
  EXPECT_EQ(ErrorOf([&] { files->MoveFile(folder / "a.tmp", folder / "b.TMP"); }),
            kFileAlreadyExists);
  EXPECT_EQ(ReadFile(folder / "a.tmp"), "rows");
  EXPECT_EQ(ReadFile(folder / "b.TMP"), "earlier");
  files->MoveFile(folder / "a.tmp", folder / "c.TMP");
  EXPECT_FALSE(files->FileExists(folder / "a.tmp"));
  EXPECT_EQ(ReadFile(folder / "c.TMP"), "rows");
  EXPECT_EQ(ErrorOf([&] { files->MoveFile(folder / "a.tmp", folder / "d"); }), kFileNotFound);
  EXPECT_EQ(ErrorOf([&] { files->MoveFile(folder / "c.TMP", folder / "no/d"); }),
            kPathNotFound);
}

TEST(FileSystem, WriteTextFileCreatesOrEmptiesTheFile) {
  TemporaryFolder folder;
  auto files = MakeLocalFileSystem();
  WriteFile(folder / "TEMPFOX.TMP", "a longer earlier content");
  files->WriteTextFile(folder / "TEMPFOX.TMP", "KO\r\n");
  EXPECT_EQ(ReadFile(folder / "TEMPFOX.TMP"), "KO\r\n");
  files->WriteTextFile(folder / "new.txt", "è");
  EXPECT_EQ(ReadFile(folder / "new.txt"), "\xE8");
  EXPECT_EQ(ErrorOf([&] { files->WriteTextFile(folder / "no/x", "KO"); }), kPathNotFound);
}

TEST(Windows1252, EveryByteSurvivesTheRoundTrip) {
  std::string all;
  for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
  EXPECT_EQ(Utf8ToWindows1252(Windows1252ToUtf8(all)), all);
  EXPECT_EQ(Windows1252ToUtf8("\x80"), "€");
  EXPECT_EQ(Utf8ToWindows1252("漢"), "?");
}

// A download killed while its link wrote aside leaves the aside file; the
// next one must tell from the name alone whose it was.
TEST(AsideFile, ShowsUnderAHiddenNameThatTellsItsDestinationUntilCommitted) {
  TemporaryFolder folder;
  auto files = MakeLocalFileSystem();
  const std::string destination = folder / "MovMag_20261206-093015.tmp";
  {
    AsideFile aside(destination);
    aside.Write("A$1;1;20261206;1\r\n");
    const std::vector<std::string> names = files->ListFolder(folder.path());
    ASSERT_EQ(names.size(), 1u);
    EXPECT_EQ(names[0].front(), '.');
    EXPECT_EQ(AsideFileDestination(names[0]), "MovMag_20261206-093015.tmp");
    aside.Commit();
  }
  EXPECT_EQ(files->ListFolder(folder.path()), std::vector<std::string>{BaseName(destination)});
  EXPECT_EQ(AsideFileDestination(BaseName(NewAsideFilePath("a.b.tmp", 42))), "a.b.tmp");
  for (const char* other : {"MovMag_20261206-093015.tmp", ".parziale", "..1-2.parziale",
                            "x.1-2.parziale", ".x.1-2.parziale.old", ".x.1.parziale",
                            ".x.-2.parziale", ".x.1-.parziale", ".x.1-2a.parziale",
                            ".x.12.parziale"}) {
    EXPECT_EQ(AsideFileDestination(other), "") << other;
  }
}

// The primitives that keep a file taken once: an exclusive creation, a lock
// that another holder cannot take, and appends that wait for an importer.
TEST(FileLocks, CreationIsExclusiveAndALockHasOneHolder) {
  TemporaryFolder folder;
  auto files = MakeLocalFileSystem();
  const std::string path = folder / "MovMag_20261206-093015.tmp";
  std::unique_ptr<FileLock> reserved = files->CreateLocked(path);
  ASSERT_NE(reserved, nullptr);
  EXPECT_EQ(ReadFile(path), "");
  EXPECT_EQ(files->CreateLocked(path), nullptr);  // the name is taken
  EXPECT_EQ(files->TryLock(path), nullptr);       // and held
  reserved.reset();
  EXPECT_NE(files->TryLock(path), nullptr);
  EXPECT_EQ(ErrorOf([&] { files->TryLock(folder / "missing"); }), kFileNotFound);
  EXPECT_EQ(ErrorOf([&] { files->CreateLocked(folder / "no/such.tmp"); }), kPathNotFound);
}

// A download looking for waiting files tries the lock of every name it
// lists; a reservation being made must never be one it can take.
TEST(FileLocks, AFileIsNeverSeenUnlockedWhileItIsMade) {
  TemporaryFolder folder;
  auto files = MakeLocalFileSystem();
  std::atomic<bool> done{false};
  std::atomic<int> taken{0};
  // Like a download, the looker tries the names of the kind it waits for
  // only (a system may make the file under a name of its own first), and
  // each as soon as it shows: the moment it appears is the one at risk.
  // Trying a held file again and again would measure nothing more, and
  // under Wine every open of a locked file keeps a descriptor in the
  // server until the lock goes.
  auto reservation = [](const std::string& name) {
    return !name.empty() && name.find_first_not_of("0123456789") == std::string::npos;
  };
  std::thread looker([&] {
    auto lookerFiles = MakeLocalFileSystem();
    std::set<std::string> tried;
    while (!done) {
      std::vector<std::string> names;
      try {
        names = lookerFiles->ListFolder(folder.path());
      } catch (const AutomationError& error) {
        ADD_FAILURE() << error.what();
        return;
      }
      for (const std::string& name : names) {
        if (!reservation(name) || !tried.insert(name).second) continue;
        try {
          if (lookerFiles->TryLock(folder / name)) ++taken;
        } catch (const AutomationError&) {
        }
      }
    }
  });
  int refused = 0;
  std::vector<std::unique_ptr<FileLock>> held;
  for (int i = 0; i < 2000; ++i) {
    try {
      std::unique_ptr<FileLock> lock = files->CreateLocked(folder / std::to_string(i));
      if (lock) held.push_back(std::move(lock));
    } catch (const AutomationError&) {
      ++refused;
    }
  }
  done = true;
  looker.join();
  EXPECT_EQ(refused, 0);
  EXPECT_EQ(taken, 0);
  EXPECT_EQ(held.size(), 2000u);
}

TEST(FileLocks, AnAppendWaitsForTheHolderAndLandsInTheFileThenAtTheName) {
  TemporaryFolder folder;
  auto files = MakeLocalFileSystem();
  const std::string path = folder / "Penna_non_salvate.txt";
  files->AppendToFile(path, "A1;1;2;3\r\n");
  std::unique_ptr<FileLock> importer = files->TryLock(path);
  ASSERT_NE(importer, nullptr);
  std::thread pen([&] { files->AppendToFile(path, "B2;1;2;3\r\n"); });
  // The importer reads, stores and renames the file while it holds it.
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  files->MoveFile(path, path + ".importato-20261206-093015");
  importer.reset();
  pen.join();
  EXPECT_EQ(ReadFile(path + ".importato-20261206-093015"), "A1;1;2;3\r\n");
  EXPECT_EQ(ReadFile(path), "B2;1;2;3\r\n");
}

TEST(FileLocks, AVersionChangesWithEveryWriteAndIsEmptyForNoFile) {
  TemporaryFolder folder;
  auto files = MakeLocalFileSystem();
  const std::string path = folder / "letture.txt";
  EXPECT_EQ(files->FileVersion(path), "");
  WriteFile(path, "X1;1\r\n");
  const std::string first = files->FileVersion(path);
  EXPECT_EQ(files->FileVersion(path), first);
  files->WriteTextFile(path, "X1;1\r\n");  // the same bytes, a new file
  EXPECT_NE(files->FileVersion(path), first);
  EXPECT_EQ((std::vector<std::string>{"letture.txt"}), files->ListFolder(folder.path()));
  EXPECT_EQ(ErrorOf([&] { files->ListFolder(folder / "missing"); }), kPathNotFound);
}

}  // namespace
}  // namespace viruzedi
