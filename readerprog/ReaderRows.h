// The rows of a reader file as a source the engine may read again from the
// first line: each line's row as its format's line function makes it, with
// the record set's conversions, and the lines the format sets aside.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "operation/FileRows.h"
#include "readerprog/ReaderFileImport.h"

namespace viruzedi {

class FirstReadingClock;
class LineRecords;

// The first reading keeps the lines the format sets aside and, with `warn`,
// shows the bad-code warning for each, naming the line and the reason. A
// line read again makes the row it made the first time: the clock its line
// function read then is given again (a row's date is the day its line was
// first read).
class ReaderRows : public FileRows {
 public:
  ReaderRows(Platform& platform, std::string path, const ReaderFileFormat& format, bool warn);
  ~ReaderRows() override;

  void Rewind() override;

  std::vector<std::string> setAside;  // by the first reading

 private:
  void RowsOfLine(const std::string& line, bool firstReading, std::vector<Row>& rows) override;

  std::unique_ptr<FirstReadingClock> clock_;
  std::unique_ptr<LineRecords> records_;
  const ReaderFileFormat& format_;
  bool warn_;
};

}  // namespace viruzedi
