// The values of a label's row: the same as the old decoding gave for every
// label it read correctly, and right (or refused) where it was wrong.
#include <gtest/gtest.h>

#include "readerprog/Gs1Label.h"

namespace viruzedi {
namespace {

struct Values {
  const char* codart;
  const char* nColli;
  const char* lotto;
  CalendarDate scadenza;
  const char* sscc = "";
};

void ExpectDecoded(const std::string& text, const Values& expected) {
  Gs1Label label;
  EXPECT_EQ(DecodeGs1Label(text, label), "") << text;
  EXPECT_EQ(label.Codart, expected.codart) << text;
  EXPECT_EQ(label.NColli, expected.nColli) << text;
  EXPECT_EQ(label.LottoCodice, expected.lotto) << text;
  EXPECT_EQ(label.Scadenza, expected.scadenza) << text;
  EXPECT_EQ(label.SSCC, expected.sscc) << text;
}

// The labels the old decoding read correctly keep their values.
TEST(Gs1Label, LabelsTheOldDecodingReadCorrectlyGiveTheSameValues) {
  struct Case {
    const char* label;
    Values values;
  } cases[] = {
      {"(02)08012345678907(37)12(15)250315(10)LOT42", {"890", "12", "LOT42", {2025, 3, 15}}},
      {"(15)250315(02)08012345678907(37)12(10)LOT42", {"890", "12", "LOT42", {2025, 3, 15}}},
      {"(37)4(15)261200(02)08012345612345(10)L-0007", {"234", "4", "L-0007", {2026, 12, 31}}},
      {"(02)08012345678907(37)1(15)000101(10)A", {"890", "1", "A", {2000, 1, 1}}},
      {"(02)08012345678907(37)1(15)991231(10)A", {"890", "1", "A", {2099, 12, 31}}},
      {"(02)08012345678907(37)1(15)240229(10)A", {"890", "1", "A", {2024, 2, 29}}},
      // Day 00: the last day of that month.
      {"(02)08012345678907(37)1(15)250200(10)A", {"890", "1", "A", {2025, 2, 28}}},
      {"(02)08012345678907(37)1(15)240200(10)A", {"890", "1", "A", {2024, 2, 29}}},
      {"(02)08012345678907(37)1(15)250400(10)A", {"890", "1", "A", {2025, 4, 30}}},
      {"(02)08012345678907(37)1(15)250100(10)A", {"890", "1", "A", {2025, 1, 31}}},
      {"(02)08012345678907(37)12345678(15)251200(10)ABCDEFGHIJKLMNOPQRST",
       {"890", "12345678", "ABCDEFGHIJKLMNOPQRST", {2025, 12, 31}}},
  };
  for (const Case& c : cases) ExpectDecoded(c.label, c.values);
}

// Each of these the old decoding got wrong: a serial number swallowed into
// the lot, a last element with nothing after it, a label as a scanner sends
// it, a "(02)" inside a lot, a label longer than 255 characters.
TEST(Gs1Label, LabelsAsGs1WritesThemAreDecodedWhateverTheirOrderAndForm) {
  const std::string longLabel = "(4302)" + std::string(70, 'A') + "(4303)" +
                                std::string(70, 'B') + "(4304)" + std::string(70, 'C') +
                                "(4305)" + std::string(70, 'D') +
                                "(02)08012345678907(37)3(10)L(15)250315";
  struct Case {
    std::string label;
    Values values;
  } cases[] = {
      {"(02)08012345678907(37)12(15)261231(10)LOT42(21)7", {"890", "12", "LOT42", {2026, 12, 31}}},
      {"(02)08012345678907(37)12(10)LOT42(21)7(15)261231", {"890", "12", "LOT42", {2026, 12, 31}}},
      {"(10)LOT42(15)261231(37)12(02)08012345678907", {"890", "12", "LOT42", {2026, 12, 31}}},
      {"(10)LOT42(02)08012345678907(15)261231(37)12", {"890", "12", "LOT42", {2026, 12, 31}}},
      {"]C1" "0208012345678907" "3712\x1D" "10LOT42\x1D" "15261231",
       {"890", "12", "LOT42", {2026, 12, 31}}},
      {"  ]d2" "00380123450000000013" "0208012345678907" "3712\x1D" "15261231" "10LOT42  ",
       {"890", "12", "LOT42", {2026, 12, 31}, "380123450000000013"}},
      {"https://id.example.com/02/08012345678907/10/LOT42?15=261231&37=12",
       {"890", "12", "LOT42", {2026, 12, 31}}},
      {"(10)AB\\(02)99(02)08012345678907(37)1(15)250315", {"890", "1", "AB(02)99", {2025, 3, 15}}},
      {"]C1" "10AB(02)99\x1D" "0208012345678907" "371\x1D" "15250315",
       {"890", "1", "AB(02)99", {2025, 3, 15}}},
      {longLabel, {"890", "3", "L", {2025, 3, 15}}},
      // (17) when there is no (15); (15) when there are both.
      {"(02)08012345678907(37)1(10)A(17)270100", {"890", "1", "A", {2027, 1, 31}}},
      {"(02)08012345678907(37)1(10)A(17)270100(15)261231", {"890", "1", "A", {2026, 12, 31}}},
  };
  for (const Case& c : cases) ExpectDecoded(c.label, c.values);
}

TEST(Gs1Label, ALabelThatFailsACheckOrLacksAnAiOfTheRowIsRefused) {
  struct Case {
    const char* label;
    const char* refusal;
  } cases[] = {
      // Stored by the old decoding as if read correctly.
      {"(02)08012345612342(37)4(15)261200(10)L", "(02): cifra di controllo 2 errata, attesa 5"},
      {"(02)08012345678907(37)4(15)251315(10)L", "(15): data impossibile 251315"},
      {"(02)08012345678907(37)4(15)250231(10)L", "(15): data impossibile 250231"},
      {"(02)0801234567(37)4(15)250315(10)L", "(02): lunghezza 10 invece di 14"},
      {"(02)08012345678907(37)(15)250315(10)L", "(37): valore vuoto"},
      {"(02)08012345678907(37)12(10)LOT42", "manca (15) o (17)"},
      {"(37)12(15)250315(10)LOT42", "manca (02)"},
      {"(02)08012345678907(15)250315(10)LOT42", "manca (37)"},
      {"(02)08012345678907(37)12(15)250315", "manca (10)"},
      {"   ", "etichetta vuota"},
  };
  for (const Case& c : cases) {
    Gs1Label label;
    EXPECT_EQ(DecodeGs1Label(c.label, label), c.refusal) << c.label;
  }
}

TEST(Gs1Label, AReaderLineIsSplitAtItsLastSemicolon) {
  struct Case {
    const char* line;
    const char* label;
    const char* sscc;
  } cases[] = {
      {"(10)A;380123450000000013", "(10)A", "380123450000000013"},
      {"(10)A;B; 3801 ", "(10)A;B", " 3801 "},
      {"(10)A;", "(10)A", ""},
      {"(10)A", "(10)A", ""},
  };
  for (const Case& c : cases) {
    const Gs1ReaderLine parts = SplitGs1ReaderLine(c.line);
    EXPECT_EQ(parts.label, c.label) << c.line;
    EXPECT_EQ(parts.sscc, c.sscc) << c.line;
  }
}

}  // namespace
}  // namespace viruzedi
