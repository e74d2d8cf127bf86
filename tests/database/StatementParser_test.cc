#include "database/StatementParser.h"

#include <gtest/gtest.h>

#include "tests/database/support/RawDatabase.h"
#include "base/Errors.h"
#include "database/Database.h"

namespace viruzedi {
namespace {

using testing::ErrorOf;

// A parsed statement in one line: table|columns|values, each value tagged
// with its kind (T text, N number as written, D date, NULL).
std::string Render(const InsertStatement& insert) {
  std::string text = insert.table + "|";
  for (size_t i = 0; i < insert.columns.size(); ++i) {
    text += (i ? "," : "") + insert.columns[i];
  }
  text += "|";
  for (size_t i = 0; i < insert.values.size(); ++i) {
    const StatementLiteral& value = insert.values[i];
    if (i) text += ",";
    switch (value.kind) {
      case StatementLiteral::Kind::Text: text += "T:" + value.text; break;
      case StatementLiteral::Kind::Number: text += "N:" + value.text; break;
      case StatementLiteral::Kind::Date:
        text += "D:" + std::to_string(value.date.year) + "-" + std::to_string(value.date.month) +
                "-" + std::to_string(value.date.day);
        break;
      case StatementLiteral::Kind::Null: text += "NULL"; break;
    }
  }
  return text;
}

TEST(ParseInsert, ReadsTheStatementsTheImportsWrite) {
  struct Case {
    const char* statement;
    const char* parsed;
  };
  const Case cases[] = {
      {"Insert Into Viruzedi (Codart,[id sottoOrd],IdLotto,Quantità) Select 'A1',12,345,  2.5",
       "Viruzedi|Codart,id sottoOrd,IdLotto,Quantità|T:A1,N:12,N:345,N:2.5"},
      {"Insert Into Viruzedi (Codart,IdLotto,[Id SottoOrd],Quantità,Data) Select 'X12',5, 340,  2, "
       "#12/06/2026#",
       "Viruzedi|Codart,IdLotto,Id SottoOrd,Quantità,Data|T:X12,N:5,N:340,N:2,D:2026-12-6"},
      {"Insert Into Viruzedi_RimesseOF (IdUt, IdSottoORd,Qtà,NDoc,DataDoc) Select 4,340,  2 , "
       "'DDT15', #12/06/2026#",
       "Viruzedi_RimesseOF|IdUt,IdSottoORd,Qtà,NDoc,DataDoc|N:4,N:340,N:2,T:DDT15,D:2026-12-6"},
      {"Insert Into Viruzedi (Codart,IdLotto,Quantità,Data,Rep) Select '#A7',12,  1.5, "
       "#12/06/2026#, 3",
       "Viruzedi|Codart,IdLotto,Quantità,Data,Rep|T:#A7,N:12,N:1.5,D:2026-12-6,N:3"},
      // Keywords in any case, blanks anywhere between pieces, trailing blanks.
      {"  insert   INTO viruzedi(Codart)SELECT'a'  \t\r\n", "viruzedi|Codart|T:a"},
      {"Insert Into [Viruzedi] ( [Codart] , Qtà ) Select Null , nUlL", "Viruzedi|Codart,Qtà|NULL,NULL"},
      // Doubled quotes stand for one; SQL inside a text is just text.
      {"Insert Into T (a) Select 'l''albero'", "T|a|T:l'albero"},
      {"Insert Into T (a) Select ''''", "T|a|T:'"},
      {"Insert Into T (a) Select ''", "T|a|T:"},
      {"Insert Into T (a) Select 'x''); DROP TABLE Viruzedi; --'", "T|a|T:x'); DROP TABLE Viruzedi; --"},
      {"Insert Into T (a) Select 'a,b) Select (c'", "T|a|T:a,b) Select (c"},
      // Numbers in every form the Str conversion and the imports write.
      {"Insert Into T (a,b,c,d,e,f) Select -1.5, .5, 1E+15, +7, - 3, 2.", "T|a,b,c,d,e,f|N:-1.5,N:.5,N:1E+15,N:7,N:-3,N:2."},
      {"Insert Into T (a,b) Select 1e-06, -.25", "T|a,b|N:1e-06,N:-.25"},
      // Dates with one-digit parts, leap day.
      {"Insert Into T (a,b) Select #1/5/2026#, #02/29/2024#", "T|a,b|D:2026-1-5,D:2024-2-29"},
      // Names: brackets hold blanks and punctuation, plain names hold letters
      // of any script.
      {"Insert Into [Tab; DROP] ([a b],[c\"d]) Select 1,2", "Tab; DROP|a b,c\"d|N:1,N:2"},
      {"Insert Into Città (Qtà,Größe) Select 1,2", "Città|Qtà,Größe|N:1,N:2"},
  };
  for (const Case& c : cases) {
    InsertStatement insert;
    EXPECT_EQ(ErrorOf([&] { insert = ParseInsert(c.statement); }), 0) << c.statement;
    EXPECT_EQ(Render(insert), c.parsed) << c.statement;
  }
}

TEST(ParseInsert, NumbersKeepTheirValue) {
  InsertStatement insert = ParseInsert("Insert Into T (a,b,c,d) Select  2.5, - 1.5, .5, 1E+15");
  EXPECT_EQ(insert.values[0].number, 2.5);
  EXPECT_EQ(insert.values[1].number, -1.5);
  EXPECT_EQ(insert.values[2].number, 0.5);
  EXPECT_EQ(insert.values[3].number, 1e15);
}

TEST(ParseInsert, RefusesEverythingElseAsSyntaxError) {
  const char* statements[] = {
      "",
      "   ",
      "Insert Viruzedi (a) Select 1",
      "InsertInto T (a) Select 1",
      "Insert Into (a) Select 1",
      "Insert Into T Select 1",
      "Insert Into T () Select 1",
      "Insert Into T (a Select 1",
      "Insert Into T (a,) Select 1",
      "Insert Into T (a) Values (1)",
      "Insert Into T (a) Select",
      "Insert Into T (a) Select 1,",
      "Insert Into T (a) SelectNull",
      "Insert Into [T (a) Select 1",
      "Insert Into [] (a) Select 1",
      "Insert Into T (a) Select 'open",
      "Insert Into T (a) Select \"double\"",
      "Insert Into T (a) Select abc",
      "Insert Into T (a) Select 12abc",
      "Insert Into T (a) Select 0x10",
      "Insert Into T (a) Select 1.2.3",
      "Insert Into T (a) Select 1E",
      "Insert Into T (a) Select 1E400",
      "Insert Into T (a) Select -",
      "Insert Into T (a) Select .",
      "Insert Into T (a) Select True",
      "Insert Into T (a) Select 1 From T",
      // The form an unquoted apostrophe gives: the text ends early, the rest
      // is left over and never runs.
      "Insert Into T (a) Select 'x'); DROP TABLE Viruzedi; --'",
      "Insert Into T (a) Select 'l'albero'",
      // Exactly one statement, not even a lone ";" after it.
      "Insert Into T (a) Select 1;",
      "Insert Into T (a) Select 1; Insert Into T (a) Select 2",
      "Insert Into T (a) Select 1 -- comment",
      // Values and columns must pair up.
      "Insert Into T (a,b) Select 1",
      "Insert Into T (a) Select 1,2",
      // Dates: the form #mm/dd/yyyy# naming a calendar date.
      "Insert Into T (a) Select #13/01/2026#",
      "Insert Into T (a) Select #02/30/2026#",
      "Insert Into T (a) Select #02/29/2025#",
      "Insert Into T (a) Select #00/10/2026#",
      "Insert Into T (a) Select #12/06/26#",
      "Insert Into T (a) Select #2026-12-06#",
      "Insert Into T (a) Select #12/06/2026",
      "Insert Into T (a) Select # 12/06/2026#",
      "Insert Into T (a) Select #123/06/2026#",
      "Insert Into T (a) Select #12/06/0099#",
  };
  for (const char* statement : statements) {
    EXPECT_EQ(ErrorOf([&] { ParseInsert(statement); }), kDbSyntaxError) << statement;
  }
}

TEST(ParseInsert, SyntaxErrorSaysWhereAndWhy) {
  try {
    ParseInsert("Insert Into T (a) Select 'x'); DROP TABLE T");
    FAIL() << "no error";
  } catch (const AutomationError& error) {
    EXPECT_EQ(error.number, kDbSyntaxError);
    EXPECT_EQ(error.description,
              "Errore di sintassi nell'istruzione SQL: testo dopo la fine dell'istruzione "
              "(carattere 29).");
  }
}

TEST(ParseSelectAll, AcceptsOnlySelectStarFromOneTable) {
  struct Case {
    const char* source;
    const char* table;  // nullptr: syntax error
  };
  const Case cases[] = {
      {"Select * from viruzedi", "viruzedi"},
      {"SELECT * FROM Viruzedi  ", "Viruzedi"},
      {"  select*from[Viruzedi RimesseOF]", "Viruzedi RimesseOF"},
      {"Select Codart from viruzedi", nullptr},
      {"Select * from", nullptr},
      {"Select * from viruzedi where 1=1", nullptr},
      {"Select * from viruzedi; DROP TABLE viruzedi", nullptr},
      {"Select * from a, b", nullptr},
      {"Select * fromviruzedi", nullptr},
      {"viruzedi", nullptr},
      {"", nullptr},
  };
  for (const Case& c : cases) {
    std::string table;
    int32_t error = ErrorOf([&] { table = ParseSelectAll(c.source); });
    if (c.table == nullptr) {
      EXPECT_EQ(error, kDbSyntaxError) << c.source;
    } else {
      EXPECT_EQ(error, 0) << c.source;
      EXPECT_EQ(table, c.table) << c.source;
    }
  }
}

}  // namespace
}  // namespace viruzedi
