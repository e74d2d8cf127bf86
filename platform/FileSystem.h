// The file system: the stand-in for the scripting file-system object and its
// text stream, with the same member names and results.
//
// Paths are the system's own (UTF-8 on every system). Every failure throws AutomationError with the
// runtime numbers: 53 file not found, 58 file already exists, 70 permission
// denied, 76 path not found.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace viruzedi {

// The longest line a text stream hands out, in bytes of the file. The lines
// of the component's files are a few dozen characters; a file that runs on
// far longer without a line end is damaged, and reading it whole would let
// it take the memory of the host.
inline constexpr std::size_t kLongestTextLine = 4 * 1024 * 1024;

// A file opened for reading as Windows-1252 ("ANSI") text, handed out line
// by line in UTF-8. CR LF, LF and a lone CR each end a line; the line end is
// not part of the line. Every byte is a character, NUL included.
class TextStream {
 public:
  virtual ~TextStream() = default;
  virtual bool AtEndOfStream() = 0;
  // Throws AutomationError 62 (input past end of file) at the end, and 14
  // (out of string space) for a line longer than kLongestTextLine, having
  // read no more of the file than that.
  std::string ReadLine() {
    std::string line;
    ReadLineInto(line);
    return line;
  }
  // ReadLine into `line`, whose storage a reading of many lines reuses.
  virtual void ReadLineInto(std::string& line) = 0;
  // The fingerprint (base/Fingerprint.h) of the file's bytes as they lie on
  // disk, a byte-order mark and line ends included. Reads what is left of
  // the file first (no line is handed out after it), so an import takes it
  // at the end of the pass that reads the lines, for the cost of the hash.
  virtual std::string BytesFingerprint() = 0;
  virtual void Close() = 0;
};

// An exclusive lock on a file, held by this process until the object is
// destroyed (or the process ends, however it ends). Another holder — another
// process, or another lock object of this one — cannot take it meanwhile.
// The lock follows the file, not its name: a file renamed onto the locked
// name is not locked.
class FileLock {
 public:
  virtual ~FileLock() = default;
};

// Paths, the one place that knows their separator: `folder` and `name`
// joined, the folder part of a path ("." for a bare name), its last name.
std::string JoinPath(const std::string& folder, const std::string& name);
std::string ParentFolder(const std::string& path);
std::string BaseName(const std::string& path);
// The system's own separator ('/'; '\\' on Windows, which takes '/' too).
char PathSeparator();

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  virtual bool FolderExists(const std::string& path) = 0;
  // Creates one folder level. 58 when it exists, 76 when its parent is missing.
  virtual void CreateFolder(const std::string& path) = 0;
  virtual bool FileExists(const std::string& path) = 0;
  // Deletes a file. With force false a read-only file is refused (70);
  // 53 when there is no such file.
  virtual void DeleteFile(const std::string& path, bool force = false) = 0;
  // Opens a file for reading (the only mode the component uses): 53 when it
  // does not exist, 70 when it cannot be read.
  virtual std::unique_ptr<TextStream> OpenTextFile(const std::string& path) = 0;
  // Moves a file; never replaces one: 58 when the destination exists,
  // 53 when the source is missing.
  virtual void MoveFile(const std::string& source, const std::string& destination) = 0;
  // Creates or empties a file and writes `text` into it (Windows-1252).
  virtual void WriteTextFile(const std::string& path, const std::string& text) = 0;

  // Creates `path` as a new empty file, atomically, and locks it. Null when
  // the name is taken already (by a file or anything else). 76 when the
  // folder is missing, 70 when it may not be written.
  virtual std::unique_ptr<FileLock> CreateLocked(const std::string& path) = 0;
  // Locks an existing file without waiting. Null when another holder has
  // it locked; 53 when there is no such file.
  virtual std::unique_ptr<FileLock> TryLock(const std::string& path) = 0;
  // Appends `bytes` as they are (no conversion) to `path` in one write,
  // creating the file when missing, and flushes them to disk. Waits while
  // another holder has the file locked (TryLock), so an importer that
  // holds it until the file has left its name never loses an append.
  // 70, 76, 61 as the system says; nothing is appended then.
  virtual void AppendToFile(const std::string& path, const std::string& bytes) = 0;
  // A token that differs whenever another file takes the name or the file
  // is written ("" when there is no file): tells whether a program wrote a
  // file while it ran. Never throws.
  virtual std::string FileVersion(const std::string& path) = 0;
  // The names of the entries of `folder` (no "." or ".."), in no set order.
  // 76 when the folder is missing.
  virtual std::vector<std::string> ListFolder(const std::string& folder) = 0;
  // The folder's one name: absolute, every link resolved, and where the
  // system ignores letter case, in the letters the file system keeps; so
  // two spellings of one folder give one text (the import ledger tells
  // workstations' folders apart by it). A folder that is not there yet is
  // named by its nearest existing parent's one name and the rest as
  // written, so asking never makes a folder. Never throws.
  virtual std::string CanonicalFolder(const std::string& folder) = 0;
};

// The names in `folder`, sorted; none when it is missing or cannot be
// listed (a folder of waiting files that is not there holds none).
std::vector<std::string> SortedNamesIn(FileSystem& files, const std::string& folder);

// The real file system.
std::unique_ptr<FileSystem> MakeLocalFileSystem();

}  // namespace viruzedi
