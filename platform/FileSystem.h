// The file system: the stand-in for the scripting file-system object and its
// text stream, with the same member names and results.
//
// Paths are Linux paths. Every failure throws AutomationError with the
// runtime numbers: 53 file not found, 58 file already exists, 70 permission
// denied, 76 path not found.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

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
  virtual std::string ReadLine() = 0;
  virtual void Close() = 0;
};

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
  virtual void MoveFile(const std::string& source,
                        const std::string& destination) = 0;
  // Creates or empties a file and writes `text` into it (Windows-1252).
  virtual void WriteTextFile(const std::string& path, const std::string& text) = 0;
};

// The real file system.
std::unique_ptr<FileSystem> MakeLocalFileSystem();

}  // namespace viruzedi
