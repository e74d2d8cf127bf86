#include "fuzz/support/FuzzSupport.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "base/Conversions.h"
#include "platform/ChildProcess.h"

// Undefined behaviour must stop the run like a crash does, or the fuzzer
// would go on past it and never keep the input.
extern "C" const char* __ubsan_default_options() {
  return "halt_on_error=1:print_stacktrace=1";
}

namespace viruzedi::fuzz {

void Require(bool condition, std::string_view what) {
  if (condition) return;
  std::fprintf(stderr, "property broken: %.*s\n", static_cast<int>(what.size()), what.data());
  std::abort();
}

FuzzPlatform::FuzzPlatform() : ForwardingPlatform(DefaultPlatform()) {}

void FuzzPlatform::MessageBox(const std::string&, int, const std::string&) { ++boxes; }

FuzzPlatform& TheFuzzPlatform() {
  static FuzzPlatform platform;
  return platform;
}

namespace {

class Scratch {
 public:
  Scratch() : path_(MakeTemporaryFolder("viruzedi-fuzz-")) {}
  ~Scratch() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace

const std::string& ScratchFolder() {
  static Scratch scratch;
  return scratch.path();
}

ScratchDatabase::ScratchDatabase(std::string name, int renewEvery)
    : path_(ScratchFolder() + "/" + name), renewEvery_(renewEvery) {}

Database& ScratchDatabase::Open() {
  if (Due()) Renew();
  ++uses_;
  return *database_;
}

void ScratchDatabase::Renew() {
  database_.reset();
  for (const char* suffix : {"", "-wal", "-shm"}) {
    std::error_code ignored;
    std::filesystem::remove(path_ + suffix, ignored);
  }
  DBEngine::CreateTargetDatabase(path_);
  database_ = DBEngine::Instance().OpenDatabase(path_);
  uses_ = 0;
}

namespace {

std::string WriteLiteral(const StatementLiteral& literal) {
  switch (literal.kind) {
    case StatementLiteral::Kind::Text: return "'" + QuoteText(literal.text) + "'";
    case StatementLiteral::Kind::Number: return literal.text;
    case StatementLiteral::Kind::Date: return "#" + StatementDate(literal.date) + "#";
    case StatementLiteral::Kind::Null: return "Null";
  }
  return "";
}

bool SameLiteral(const StatementLiteral& a, const StatementLiteral& b) {
  if (a.kind != b.kind) return false;
  switch (a.kind) {
    case StatementLiteral::Kind::Text: return a.text == b.text;
    case StatementLiteral::Kind::Number:
      return a.text == b.text && a.number == b.number;
    case StatementLiteral::Kind::Date: return a.date == b.date;
    case StatementLiteral::Kind::Null: return true;
  }
  return false;
}

}  // namespace

std::string WriteStatement(const InsertStatement& statement) {
  std::string text = "Insert Into [" + statement.table + "] (";
  for (size_t i = 0; i < statement.columns.size(); ++i) {
    text += (i ? ",[" : "[") + statement.columns[i] + "]";
  }
  text += ") Select ";
  for (size_t i = 0; i < statement.values.size(); ++i) {
    text += (i ? ", " : "") + WriteLiteral(statement.values[i]);
  }
  return text;
}

bool SameStatement(const InsertStatement& a, const InsertStatement& b) {
  if (a.table != b.table || a.columns != b.columns || a.values.size() != b.values.size()) {
    return false;
  }
  for (size_t i = 0; i < a.values.size(); ++i) {
    if (!SameLiteral(a.values[i], b.values[i])) return false;
  }
  return true;
}

bool SameToFifteenDigits(double written, double value) {
  if (written == value) return true;
  return std::fabs(written - value) <= std::fabs(value) * 1e-14;
}

}  // namespace viruzedi::fuzz
