// What the fuzz targets share: a quiet platform with a fixed wall clock, a
// scratch folder, a real target database that is renewed before it grows
// large, and the check that turns a broken property into a crash the
// fuzzer reports.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "database/Database.h"
#include "database/StatementParser.h"
#include "viruzedi/Platform.h"

namespace viruzedi::fuzz {

// Aborts with `what` on standard error when `condition` is false, so that
// libFuzzer keeps the input that broke the property.
void Require(bool condition, std::string_view what);

// The real platform, with message boxes counted instead of shown and the
// wall clock standing at 6 December 2026, 09:30:15 (rows must not depend on
// when the fuzzer ran).
class FuzzPlatform : public ForwardingPlatform {
 public:
  FuzzPlatform();
  void MessageBox(const std::string& text, int style, const std::string& caption) override;
  LocalDateTime LocalNow() override { return {2026, 12, 6, 9, 30, 15}; }
  void Beep() override {}
  void PumpEvents() override {}

  int boxes = 0;
};

// One platform for the whole run.
FuzzPlatform& TheFuzzPlatform();

// A folder for this run, made on first use under TMPDIR (/dev/shm is the
// fast choice) and removed when the program ends normally.
const std::string& ScratchFolder();

// The path of a target database with the component's two tables, renewed
// (deleted and made again) every `renewEvery` calls so that a long run does
// not fill the disk. The rows are never read back: what matters is that the
// engine takes every statement a parser builds.
class ScratchDatabase {
 public:
  explicit ScratchDatabase(std::string name, int renewEvery = 20000);
  // True when the next Open renews the file: whatever holds the file open
  // must let it go first.
  bool Due() const { return !database_ || uses_ >= renewEvery_; }
  // The database, open; renewed first when its turn has come.
  Database& Open();
  const std::string& path() const { return path_; }

 private:
  void Renew();

  std::string path_;
  int renewEvery_;
  int uses_ = 0;
  std::unique_ptr<Database> database_;
};

// The statement written back from its parsed form, every name bracketed,
// every literal in the canonical form the parser keeps.
std::string WriteStatement(const InsertStatement& statement);

// True when `a` and `b` are the same statement value for value.
bool SameStatement(const InsertStatement& a, const InsertStatement& b);

// True when the number written in a statement (Str form) stands for
// `value`: equal to fifteen significant digits.
bool SameToFifteenDigits(double written, double value);

}  // namespace viruzedi::fuzz
