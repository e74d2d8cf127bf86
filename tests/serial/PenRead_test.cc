#include "serial/PenRead.h"

#include <gtest/gtest.h>

#include "base/AutomationError.h"

namespace viruzedi {
namespace {

TEST(PenRead, StatementOfEachRead) {
  struct Case {
    std::string line;
    std::string values;  // what follows "Select " in the statement
  };
  const Case cases[] = {
      {"A1;12;345;2.5", "'A1',12,345,  2.5"},
      {"7;0;0;3", "'7',0,0,  3"},
      {"A;1;2;0.5", "'A',1,2,  .5"},
      {"A;1;2;0,5", "'A',1,2,  .5"},
      {"A;1;2;-1.5", "'A',1,2, -1.5"},
      {"A;-12;2147483647;1E15", "'A',-12,2147483647,  1E+15"},
      {";2.5;3.5;1", "'',2,4,  1"},  // ids rounded, halves to even
      {"D'ORO;1;2;3", "'D''ORO',1,2,  3"},
      {"'';1;2;3", "'''''',1,2,  3"},
      {"X',9,9, 9 --;1;2;3", "'X'',9,9, 9 --',1,2,  3"},
  };
  for (const Case& c : cases) {
    std::string riga = c.line;
    EXPECT_EQ(PenReadStatement(CutPenRead(riga)),
              "Insert Into Viruzedi (Codart,[id sottoOrd],IdLotto,Quantità) Select " + c.values)
        << c.line;
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
