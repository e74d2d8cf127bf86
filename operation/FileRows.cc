#include "operation/FileRows.h"

#include "base/Text.h"
#include "operation/ErrorReport.h"

namespace viruzedi {

FileRows::FileRows(Platform& platform, std::string path, bool blameUnreadLine)
    : platform_(platform), path_(std::move(path)), blameUnreadLine_(blameUnreadLine) {}

void FileRows::Rewind() {
  stream_ = platform_.Files().OpenTextFile(path_);
  number_ = 0;
  ofLine_.clear();
  handedOut_ = 0;
  rows_ = 0;
}

bool FileRows::Next(Row& row) {
  while (handedOut_ == ofLine_.size()) {
    ofLine_.clear();
    handedOut_ = 0;
    if (stream_->AtEndOfStream()) {
      fingerprint_ = stream_->BytesFingerprint();
      stream_->Close();
      stream_.reset();
      firstReading_ = false;
      return false;
    }
    StopIfRequested(platform_);
    ++number_;
    line_.clear();
    if (!blameUnreadLine_) stream_->ReadLineInto(line_);
    try {
      if (blameUnreadLine_) stream_->ReadLineInto(line_);
      if (!IsBlankLine(line_)) RowsOfLine(line_, firstReading_, ofLine_);
    } catch (...) {
      AutomationError failure = CurrentFailure();
      Blame(failure);
      throw failure;
    }
  }
  row = std::move(ofLine_[handedOut_++]);
  ++rows_;
  return true;
}

void FileRows::Blame(AutomationError& failure) { BlameLine(failure, Detail()); }

std::string FileRows::Detail() const { return LineDetail(path_, number_, line_); }

}  // namespace viruzedi
