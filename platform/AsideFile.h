// A file written beside its destination under a hidden temporary name and
// put in place by one rename once complete: the destination shows the whole
// file or nothing, whatever stops the writing halfway.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace viruzedi {

class AsideFile {
 public:
  // Creates the temporary file in the destination's folder. Throws
  // AutomationError 76 when the folder is missing, 70 when it may not be
  // written, another number of RaiseSystemError on another failure.
  explicit AsideFile(std::string destination);
  // Removes the temporary file unless Commit succeeded.
  ~AsideFile();
  AsideFile(const AsideFile&) = delete;
  AsideFile& operator=(const AsideFile&) = delete;

  // Appends bytes. Throws AutomationError 57 (61 when the disk is full).
  void Write(std::string_view bytes);
  // Appends everything that can be read from the open descriptor `source`
  // (the file at `sourcePath`, named in errors).
  void CopyFrom(int source, const std::string& sourcePath);
  // Appends the whole file at `path`: false, nothing appended, when there is
  // no such file. `lastByte` becomes the last byte appended (as it was when
  // the file is empty).
  bool CopyFromFile(const std::string& path, char& lastByte);
  // Flushes the bytes to disk and renames the file to the destination,
  // replacing a file of that name. Throws AutomationError as Write does,
  // leaving the destination as it was.
  void Commit();
  // As Commit, but never replaces a file: 58 when the destination exists.
  void CommitNew();

  uint64_t size() const { return size_; }

 private:
  void Finish(bool replace);

  std::string destination_;
  std::string aside_;
  int fd_ = -1;
  uint64_t size_ = 0;
  bool committed_ = false;
};

// The hidden name an aside file of process `processId` is written under
// beside `destination`: "." + the destination's name + "." + the process id
// + "-" + a number of this process's own + ".parziale", so that two writers
// never share one and a listing tells which destination each is for.
std::string NewAsideFilePath(const std::string& destination, uint64_t processId);
// The destination's name of the aside file named `name` (a name of a
// folder's listing); "" when no aside file has that name.
std::string AsideFileDestination(const std::string& name);

// What the outside programs do to the names of their files, in the
// system's own calls. Each throws AutomationError (RaiseSystemError's
// numbers) when the system refuses.
// Whether anything has the name `path`.
bool NameTaken(const std::string& path);
// Renames `from` to `to`, never replacing: false when `to` is taken.
bool RenameWithoutReplacing(const std::string& from, const std::string& to);
// Removes the file: false when there was none.
bool RemoveFileIfPresent(const std::string& path);

}  // namespace viruzedi
