// The grammar of the statements the engine accepts, kept apart from running
// them. Nothing here knows SQLite: the parser only turns text into names
// and values, so that no text of a value can ever be taken for SQL.
//
//   statement := blanks "Insert" blanks "Into" name "(" name { "," name } ")"
//                "Select" literal { "," literal } blanks <end>
//   name      := plain | "[" any characters but "]" "]"
//   plain     := letters (UTF-8 letters included), digits, "_"
//   literal   := "'" text, a quote doubled "'" | number | "#" mm/dd/yyyy "#"
//                | "Null"
//   number    := [ "+" | "-" ] blanks ( digits [ "." digits ] | "." digits )
//                [ ("E" | "e") [ "+" | "-" ] digits ]
// Keywords ignore letter case; blanks (spaces, tabs, line ends) may stand
// between any two pieces. Anything else, a second statement or a ";"
// included, is syntax error 3134.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "viruzedi/Variant.h"

namespace viruzedi {

struct StatementLiteral {
  enum class Kind { Text, Number, Date, Null };
  Kind kind = Kind::Null;
  // Text: the value, quotes undoubled. Number: the number as written, "-"
  // when negative and no blanks or "+" ("-1.5", ".5", "1E+15").
  std::string text;
  double number = 0;   // Number
  CalendarDate date;   // Date, always a calendar date
};

struct InsertStatement {
  std::string table;                     // as written, brackets removed
  std::vector<std::string> columns;      // as written, brackets removed
  std::vector<StatementLiteral> values;  // as many as columns
};

// Parses one Insert statement. Throws AutomationError 3134 naming the
// reason: bad syntax, a date literal that names no calendar date, or a count
// of values that differs from the count of columns.
InsertStatement ParseInsert(std::string_view statement);

// Parses a record-set source "Select * from <table>" and returns the table
// name as written. Throws AutomationError 3134 for any other text.
std::string ParseSelectAll(std::string_view source);

}  // namespace viruzedi
