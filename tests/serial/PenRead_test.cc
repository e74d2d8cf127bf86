#include "serial/PenRead.h"

#include <gtest/gtest.h>

#include "base/Errors.h"
#include "tests/database/support/RowText.h"

namespace viruzedi {
namespace {

using testing::RowText;

TEST(PenRead, RowOfEachRead) {
  struct Case {
    std::string line;
    std::string columns;  // the row's columns and values (RowText), after "Viruzedi: "
  };
  const Case cases[] = {
      {"A1;12;345;2.5", "Codart='A1', id sottoOrd=12, IdLotto=345, Quantità=number 2.5"},
      {"7;0;0;3", "Codart='7', id sottoOrd=0, IdLotto=0, Quantità=number 3"},
      {"A;1;2;0.5", "Codart='A', id sottoOrd=1, IdLotto=2, Quantità=number .5"},
      {"A;1;2;0,5", "Codart='A', id sottoOrd=1, IdLotto=2, Quantità=number .5"},
      {"A;1;2;-1.5", "Codart='A', id sottoOrd=1, IdLotto=2, Quantità=number -1.5"},
      {"A;-12;2147483647;1E15",
       "Codart='A', id sottoOrd=-12, IdLotto=2147483647, Quantità=number 1E+15"},
      // Ids rounded, halves to even.
      {";2.5;3.5;1", "Codart='', id sottoOrd=2, IdLotto=4, Quantità=number 1"},
      {"D'ORO;1;2;3", "Codart='D'ORO', id sottoOrd=1, IdLotto=2, Quantità=number 3"},
      {"'';1;2;3", "Codart='''', id sottoOrd=1, IdLotto=2, Quantità=number 3"},
      {"X',9,9, 9 --;1;2;3", "Codart='X',9,9, 9 --', id sottoOrd=1, IdLotto=2, Quantità=number 3"},
  };
  for (const Case& c : cases) {
    std::string riga = c.line;
    EXPECT_EQ(RowText(PenReadRow(CutPenRead(riga))), "Viruzedi: " + c.columns) << c.line;
  }
}

TEST(PenRead, LineLeftHoldingTheQuantityText) {
  for (const char* line : {"A1;12;345;2.5", "A1;12;345;x", "A1;x;345;2.5"}) {
    std::string riga = line;
    try {
      CutPenRead(riga);
    } catch (const AutomationError&) {
    }
    EXPECT_EQ(riga, std::string(line).substr(std::string(line).rfind(';') + 1)) << line;
  }
}

TEST(PenRead, LinesThatAreNoRead) {
  struct Case {
    std::string line;
    int32_t number;
  };
  const Case cases[] = {
      {"", kInvalidArgument},
      {"EMPTY", kInvalidArgument},
      {"A;1;2", kInvalidArgument},
      {"A;1;2;", kTypeMismatch},
      {"A;1;2;3;4", kTypeMismatch},
      {"A;1;2;1.000,5", kTypeMismatch},  // no digit grouping
      {"A;;2;3", kTypeMismatch},
      {"A;1,5.5;2;3", kTypeMismatch},
      {"A;2147483648;2;3", kOverflow},
      {"A;1;-2147483649;3", kOverflow},
  };
  for (const Case& c : cases) {
    std::string riga = c.line;
    int32_t number = 0;
    try {
      CutPenRead(riga);
    } catch (const AutomationError& error) {
      number = error.number;
    }
    EXPECT_EQ(number, c.number) << "\"" << c.line << "\"";
  }
}

}  // namespace
}  // namespace viruzedi
