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
  // written, 57 on another failure of the system.
  explicit AsideFile(std::string destination);
  // Removes the temporary file unless Commit succeeded.
  ~AsideFile();
  AsideFile(const AsideFile&) = delete;
  AsideFile& operator=(const AsideFile&) = delete;

  // Appends bytes. Throws AutomationError 57 (61 when the disk is full).
  void Write(std::string_view bytes);
  // Flushes the bytes to disk and renames the file to the destination,
  // replacing a file of that name. Throws AutomationError as Write does,
  // leaving the destination as it was.
  void Commit();

  uint64_t size() const { return size_; }

 private:
  std::string destination_;
  std::string aside_;
  int fd_ = -1;
  uint64_t size_ = 0;
  bool committed_ = false;
};

}  // namespace viruzedi
