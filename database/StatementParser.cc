#include "database/StatementParser.h"

#include <charconv>

#include "base/Conversions.h"
#include "base/Text.h"
#include "database/Database.h"
#include "database/DatabaseMessages.h"

namespace viruzedi {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
// Letters of any script may appear in a plain name: every byte of a UTF-8
// sequence is >= 0x80.
bool IsNameCharacter(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  return u >= 0x80 || IsDigit(c) || c == '_' || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

class Cursor {
 public:
  explicit Cursor(std::string_view text) : text_(text) {}

  // The position is counted in characters, not bytes, so that it matches
  // what a person counts in a statement holding "Quantità".
  [[noreturn]] void Fail(const char* reason) const {
    size_t character = 1;
    for (size_t i = 0; i < pos_ && i < text_.size(); ++i) {
      character += (static_cast<unsigned char>(text_[i]) & 0xC0) != 0x80;
    }
    RaiseDatabaseError(kDbSyntaxError,
                       std::string(reason) + " (carattere " + std::to_string(character) + ")");
  }

  void SkipBlanks() {
    while (pos_ < text_.size() && IsWhiteSpace(text_[pos_])) ++pos_;
  }
  bool AtEnd() const { return pos_ >= text_.size(); }
  char Peek() const { return AtEnd() ? '\0' : text_[pos_]; }

  // Takes `c` after optional blanks.
  bool Take(char c) {
    SkipBlanks();
    if (Peek() != c) return false;
    ++pos_;
    return true;
  }

  // Takes the keyword after optional blanks when it stands as a whole word.
  bool TakeKeyword(std::string_view keyword) {
    SkipBlanks();
    if (text_.size() - pos_ < keyword.size()) return false;
    for (size_t i = 0; i < keyword.size(); ++i) {
      if (LowerAscii(text_[pos_ + i]) != LowerAscii(keyword[i])) return false;
    }
    size_t after = pos_ + keyword.size();
    if (after < text_.size() && IsNameCharacter(text_[after])) return false;
    pos_ = after;
    return true;
  }

  // A plain or bracketed name; fails with `missing` when there is none.
  std::string Name(const char* missing) {
    SkipBlanks();
    if (Peek() == '[') {
      size_t close = text_.find(']', pos_ + 1);
      if (close == std::string_view::npos) Fail(syntax::kUnterminatedName);
      if (close == pos_ + 1) Fail(missing);
      std::string name(text_.substr(pos_ + 1, close - pos_ - 1));
      pos_ = close + 1;
      return name;
    }
    size_t start = pos_;
    while (pos_ < text_.size() && IsNameCharacter(text_[pos_])) ++pos_;
    if (pos_ == start) Fail(missing);
    return std::string(text_.substr(start, pos_ - start));
  }

  StatementLiteral Literal() {
    SkipBlanks();
    char c = Peek();
    if (c == '\'') return TextLiteral();
    if (c == '#') return DateLiteral();
    if (c == '+' || c == '-' || c == '.' || IsDigit(c)) return NumberLiteral();
    if (TakeKeyword("Null")) return StatementLiteral{};
    Fail(syntax::kExpectedValue);
  }

 private:
  StatementLiteral TextLiteral() {
    StatementLiteral literal;
    literal.kind = StatementLiteral::Kind::Text;
    ++pos_;  // the opening quote
    for (;;) {
      size_t quote = text_.find('\'', pos_);
      if (quote == std::string_view::npos) Fail(syntax::kUnterminatedText);
      literal.text.append(text_.substr(pos_, quote - pos_));
      pos_ = quote + 1;
      if (Peek() != '\'') return literal;
      literal.text += '\'';  // a doubled quote stands for one
      ++pos_;
    }
  }

  // Digits of a date part: at least one, at most `most`.
  int DatePart(size_t most) {
    size_t start = pos_;
    int value = 0;
    while (pos_ < text_.size() && IsDigit(text_[pos_]) && pos_ - start < most) {
      value = value * 10 + (text_[pos_] - '0');
      ++pos_;
    }
    if (pos_ == start) Fail(syntax::kBadDate);
    return value;
  }

  StatementLiteral DateLiteral() {
    ++pos_;  // the opening "#"
    StatementLiteral literal;
    literal.kind = StatementLiteral::Kind::Date;
    literal.date.month = DatePart(2);
    if (Peek() != '/') Fail(syntax::kBadDate);
    ++pos_;
    literal.date.day = DatePart(2);
    if (Peek() != '/') Fail(syntax::kBadDate);
    ++pos_;
    size_t yearStart = pos_;
    literal.date.year = DatePart(4);
    if (pos_ - yearStart != 4 || Peek() != '#') Fail(syntax::kBadDate);
    if (!IsValidDate(literal.date.year, literal.date.month, literal.date.day)) {
      Fail(syntax::kBadDate);
    }
    ++pos_;
    return literal;
  }

  size_t SkipDigits() {
    size_t start = pos_;
    while (IsDigit(Peek())) ++pos_;
    return pos_ - start;
  }

  StatementLiteral NumberLiteral() {
    StatementLiteral literal;
    literal.kind = StatementLiteral::Kind::Number;
    if (Peek() == '+' || Peek() == '-') {
      if (Peek() == '-') literal.text += '-';
      ++pos_;
      while (Peek() == ' ' || Peek() == '\t') ++pos_;
    }
    size_t start = pos_;
    size_t digits = SkipDigits();
    if (Peek() == '.') {
      ++pos_;
      digits += SkipDigits();
    }
    if (digits == 0) Fail(syntax::kBadNumber);
    if (Peek() == 'e' || Peek() == 'E') {
      ++pos_;
      if (Peek() == '+' || Peek() == '-') ++pos_;
      if (SkipDigits() == 0) Fail(syntax::kBadNumber);
    }
    literal.text.append(text_.substr(start, pos_ - start));
    const char* first = literal.text.data();
    const char* last = first + literal.text.size();
    auto [end, error] = std::from_chars(first, last, literal.number);
    if (error != std::errc() || end != last) Fail(syntax::kBadNumber);
    return literal;
  }

  std::string_view text_;
  size_t pos_ = 0;
};

}  // namespace

InsertStatement ParseInsert(std::string_view statement) {
  Cursor cursor(statement);
  InsertStatement insert;
  if (!cursor.TakeKeyword("Insert") || !cursor.TakeKeyword("Into")) {
    cursor.Fail(syntax::kExpectedInsertInto);
  }
  insert.table = cursor.Name(syntax::kExpectedTable);
  if (!cursor.Take('(')) cursor.Fail(syntax::kExpectedColumnList);
  do {
    insert.columns.push_back(cursor.Name(syntax::kExpectedColumn));
  } while (cursor.Take(','));
  if (!cursor.Take(')')) cursor.Fail(syntax::kExpectedCommaOrParenthesis);
  if (!cursor.TakeKeyword("Select")) cursor.Fail(syntax::kExpectedSelect);
  do {
    insert.values.push_back(cursor.Literal());
  } while (cursor.Take(','));
  cursor.SkipBlanks();
  if (!cursor.AtEnd()) cursor.Fail(syntax::kTrailingText);
  if (insert.values.size() != insert.columns.size()) cursor.Fail(syntax::kValueCount);
  return insert;
}

std::string ParseSelectAll(std::string_view source) {
  Cursor cursor(source);
  if (!cursor.TakeKeyword("Select") || !cursor.Take('*') || !cursor.TakeKeyword("from")) {
    RaiseDatabaseError(kDbSyntaxError, syntax::kRecordsetSource);
  }
  cursor.SkipBlanks();
  if (cursor.AtEnd()) RaiseDatabaseError(kDbSyntaxError, syntax::kRecordsetSource);
  std::string table = cursor.Name(syntax::kExpectedTable);
  cursor.SkipBlanks();
  if (!cursor.AtEnd()) RaiseDatabaseError(kDbSyntaxError, syntax::kRecordsetSource);
  return table;
}

}  // namespace viruzedi
