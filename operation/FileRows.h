// The rows of a text file's lines as a source that the engine may read again
// from the first line (database/RowSource.h), so that a file is checked
// whole and then written without its rows kept in memory: a received file,
// a reader file, the pen's recovery file. What a line becomes is its kind's
// own (RowsOfLine); the reading is shared.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "database/RowSource.h"
#include "platform/FileSystem.h"
#include "viruzedi/Platform.h"

namespace viruzedi {

// Each reading opens the file anew, looks at the stop request before each
// line (18) and passes over the lines made only of spaces. A fault of a
// line, and a row the engine refuses for what it holds, carries "FILE, riga
// N: LINE" in its detail when the line can be its cause (BlameLine). Not
// thread-safe: the thread of the import.
class FileRows : public RowSource {
 public:
  void Rewind() override;
  bool Next(Row& row) override;
  void Blame(AutomationError& failure) override;

  // Of the last whole reading: the rows handed out and the fingerprint of
  // the file's bytes (TextStream::BytesFingerprint).
  uint64_t rows() const { return rows_; }
  const std::string& fingerprint() const { return fingerprint_; }

 protected:
  // `blameUnreadLine`: a line that cannot be read (past the longest one)
  // is blamed as well, with no text; else it is a fault of the file.
  FileRows(Platform& platform, std::string path, bool blameUnreadLine);

  // Appends the rows of `line` (none passes it over). `firstReading` is
  // the one before any other, which an import makes to check the file.
  virtual void RowsOfLine(const std::string& line, bool firstReading, std::vector<Row>& rows) = 0;
  Platform& platform() { return platform_; }
  // "FILE, riga N: LINE" of the line read last.
  std::string Detail() const;

 private:
  Platform& platform_;
  std::string path_;
  bool blameUnreadLine_;
  std::unique_ptr<TextStream> stream_;
  bool firstReading_ = true;
  uint64_t number_ = 0;
  std::string line_;
  std::vector<Row> ofLine_;  // the rows of the line read last
  size_t handedOut_ = 0;     // of ofLine_
  uint64_t rows_ = 0;
  std::string fingerprint_;
};

}  // namespace viruzedi
