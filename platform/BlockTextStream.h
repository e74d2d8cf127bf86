// The text stream's reading, over whatever hands out a file's bytes block by
// block: each system's file system gives it its own file handle.
#pragma once

#include <cstddef>
#include <string>

#include "base/Fingerprint.h"
#include "platform/FileSystem.h"

namespace viruzedi {

// Lines of a Windows-1252 file (or a UTF-8 one that opens with the byte-order
// mark), as TextStream promises.
class BlockTextStream : public TextStream {
 public:
  explicit BlockTextStream(std::string path) : path_(std::move(path)) {}

  bool AtEndOfStream() override { return !Fill(); }
  void ReadLineInto(std::string& line) override;
  std::string BytesFingerprint() override;

 protected:
  const std::string& path() const { return path_; }
  // Whether the file has been closed (Close of the derived class).
  virtual bool Closed() const = 0;
  // Reads up to `size` bytes; 0 at the end of the file. Throws
  // AutomationError when the system fails to read.
  virtual size_t ReadBlock(char* buffer, size_t size) = 0;

 private:
  // Makes at least one unread byte available; false at the end of the file.
  bool Fill();
  void SkipUtf8Mark();

  std::string path_;
  std::string buffer_;
  Fingerprint fingerprint_;
  size_t position_ = 0;
  bool started_ = false;
  bool utf8_ = false;
};

}  // namespace viruzedi
