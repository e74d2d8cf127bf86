// Labels read in every form GS1 writes and scanners send, the checks their
// values must pass, and the reasons a label is refused.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "gs1/ElementString.h"

namespace viruzedi {
namespace {

using Elements = std::vector<Gs1Element>;

Elements Sorted(Elements elements) {
  std::sort(elements.begin(), elements.end(),
            [](const Gs1Element& a, const Gs1Element& b) { return a.ai < b.ai; });
  return elements;
}

// One label written in each form: every form gives the same elements (a
// Digital Link address lists its query after its path, so the elements are
// compared whatever their order).
TEST(Gs1ElementString, EveryFormOfALabelGivesTheSameElements) {
  struct Case {
    Elements elements;
    std::vector<std::string> forms;
  } cases[] = {
      {{{"02", "08012345000012"}, {"37", "12"}, {"10", "LOT42"}, {"21", "7"}, {"15", "261231"}},
       {"(02)08012345000012(37)12(10)LOT42(21)7(15)261231",
        // GS after each value whose length varies, none after the last.
        "0208012345000012" "3712\x1D" "10LOT42\x1D" "217\x1D" "15261231",
        "]C10208012345000012" "3712\x1D" "10LOT42\x1D" "217\x1D" "15261231",
        // A GS after a value of fixed length, as some scanners send it.
        "]d20208012345000012\x1D" "3712\x1D" "10LOT42\x1D" "217\x1D" "15261231",
        "]e00208012345000012" "3712\x1D" "10LOT42\x1D" "217\x1D" "15261231\x1D",
        "^0208012345000012" "3712^10LOT42^217^15261231",
        "https://id.example.com/any/prefix/02/08012345000012/10/LOT42?15=261231&37=12&21=7",
        "]Q1https://id.example.com/02/08012345000012/10/LOT42/21/7?37=12&15=261231",
        "]d1HTTP://a.b/02/08012345000012?37=12&10=LOT42&21=7&15=261231&linkType=all#x"}},
      {{{"00", "380123450000000013"}, {"02", "08012345678907"}, {"37", "5"},
        {"17", "240229"}, {"10", "A(1)/B"}},
       {"(00)380123450000000013(02)08012345678907(37)5(17)240229(10)A\\(1)/B",
        "00380123450000000013" "0208012345678907" "375\x1D" "17240229" "10A(1)/B",
        "]Q300380123450000000013" "0208012345678907" "375\x1D" "17240229" "10A(1)/B",
        "]J100380123450000000013" "0208012345678907" "375\x1D" "17240229" "10A(1)/B",
        "https://x.y/00/380123450000000013?02=08012345678907&37=5&17=240229&10=A%281%29%2FB"}},
      // Measures, a value of several parts, an optional part left out.
      {{{"01", "08012345000012"}, {"3103", "001250"}, {"8008", "24022912"},
        {"253", "8012345000012"}},
       {"(01)08012345000012(3103)001250(8008)24022912(253)8012345000012",
        "]C10108012345000012" "3103001250" "800824022912\x1D" "2538012345000012"}},
      // A Digital Link address may shorten a GTIN to 13, 12 or 8 digits.
      {{{"01", "08012345000012"}}, {"(01)08012345000012", "https://a.b/01/8012345000012"}},
      {{{"01", "00012345678905"}}, {"(01)00012345678905", "https://a.b/01/012345678905/"}},
      {{{"02", "00000012345670"}}, {"(02)00000012345670", "https://a.b/x/02/12345670"}},
  };
  for (const Case& c : cases) {
    for (const std::string& form : c.forms) {
      const Gs1Reading reading = ReadGs1Label(form);
      EXPECT_EQ(reading.refusal, "") << form;
      EXPECT_EQ(Sorted(reading.elements), Sorted(c.elements)) << form;
    }
    // Printed in bracketed form, the elements read back as they were.
    EXPECT_EQ(ReadGs1Label(BracketedForm(c.elements)).elements, c.elements);
  }
}

TEST(Gs1ElementString, CheckDigitsAndDatesAreHeldToTheirAis) {
  struct Case {
    const char* label;
    const char* refusal;
  } cases[] = {
      {"(02)08012345678907", ""},
      {"(02)08012345612342", "(02): cifra di controllo 2 errata, attesa 5"},
      {"(01)08012345000013", "(01): cifra di controllo 3 errata, attesa 2"},
      {"(00)380123450000000014", "(00): cifra di controllo 4 errata, attesa 3"},
      {"(414)8012345000013", "(414): cifra di controllo 3 errata, attesa 2"},
      {"(15)261231", ""},
      {"(15)251315", "(15): data impossibile 251315"},
      {"(17)250231", "(17): data impossibile 250231"},
      {"(15)250132", "(15): data impossibile 250132"},
      {"(15)250015", "(15): data impossibile 250015"},
      // 29 February in leap years only, 2000 among them: the century is 20.
      {"(15)240229", ""},
      {"(15)000229", ""},
      {"(15)250229", "(15): data impossibile 250229"},
      {"(17)230229", "(17): data impossibile 230229"},
      // Day 00, the month's last day, where the AI allows it.
      {"(15)250200", ""},
      {"(17)241200", ""},
      {"(7006)250100", "(7006): data impossibile 250100"},
      {"(7006)250101", ""},
      {"(4324)2501001230", ""},
      {"(7007)2401012402", "(7007): lunghezza 10, attesa da 6 a 12"},
      {"(7007)240101240230", "(7007): data impossibile 240230"},
      {"(7250)20000229", ""},
      {"(7250)19000229", "(7250): data impossibile 19000229"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ReadGs1Label(c.label).refusal, c.refusal) << c.label;
  }
}

TEST(Gs1ElementString, ALabelThatIsNoValidElementStringIsRefusedWithItsReason) {
  struct Case {
    std::string label;
    const char* refusal;
  } cases[] = {
      {"", "etichetta vuota"},
      {"LOT42", "non è una stringa di elementi GS1 (né tra parentesi, né con i separatori GS, né "
                "un indirizzo GS1 Digital Link)"},
      {"]E00208012345678907", "identificatore di simbologia non GS1: ]E0"},
      {"]Q10208012345678907", "]Q1 non seguito da un indirizzo GS1 Digital Link"},
      {"(23)1", "identificatore di applicazione sconosciuto: (23)"},
      {"(02)08012345678907(1O)L", "identificatore di applicazione sconosciuto: (1O)"},
      {"0208012345678907" "2312", "nessun identificatore di applicazione GS1 all'inizio di: 2312"},
      {"(02", "parentesi non chiusa: (02"},
      {"(10)", "(10): valore vuoto"},
      {"(10)ABCDEFGHIJKLMNOPQRSTU", "(10): lunghezza 21, al massimo 20"},
      {"(02)0801234567890", "(02): lunghezza 13 invece di 14"},
      {"0208012345678907" "3712345678901", "(37): lunghezza 11, al massimo 8"},
      {"(3910)978", "(3910): lunghezza 3, attesa da 4 a 18"},
      {"(37)1A", "(37): carattere non ammesso «A» (solo cifre)"},
      {"(10)Città", "(10): carattere non ammesso «à» (solo i caratteri GS1 del set 82)"},
      {"(10)LOT 42", "(10): carattere non ammesso « » (solo i caratteri GS1 del set 82)"},
      {"(10)L\tT", "(10): carattere non ammesso 0x09 (solo i caratteri GS1 del set 82)"},
      {"(8010)abc", "(8010): carattere non ammesso «a» (solo i caratteri GS1 del set 39)"},
      {"(10)A(10)B", "(10) ripetuto con un altro valore"},
      {"10A\x1D\x1D" "21B", "separatore GS dove era atteso un identificatore di applicazione"},
      {"https://example.com/gtin/08012345678907",
       "indirizzo Digital Link senza identificatori nel percorso"},
      {"https://example.com/01/08012345%7", "codifica % non valida: 08012345%7"},
      {"https://example.com/01/08012345678907?10=%G1", "codifica % non valida: %G1"},
  };
  for (const Case& c : cases) {
    const Gs1Reading reading = ReadGs1Label(c.label);
    EXPECT_EQ(reading.refusal, c.refusal) << c.label;
    EXPECT_TRUE(reading.elements.empty()) << c.label;
  }
}

// A "(02)" or a ";" inside a value is part of it; the same element twice
// counts once; nothing limits where in the label an element stands.
TEST(Gs1ElementString, ValuesKeepWhatTheirSetAllowsWhereverTheyStand) {
  const std::string padding = "(4302)" + std::string(70, 'A') + "(4303)" + std::string(70, 'B') +
                              "(4304)" + std::string(70, 'C') + "(4305)" + std::string(70, 'D');
  struct Case {
    std::string label;
    Elements elements;
  } cases[] = {
      {"10X(02)0801234567;Z\x1D" "0208012345678907",
       {{"10", "X(02)0801234567;Z"}, {"02", "08012345678907"}}},
      {"(10)L\\(02)1(37)3(37)3", {{"10", "L(02)1"}, {"37", "3"}}},
      {padding + "(02)08012345678907",
       {{"4302", std::string(70, 'A')}, {"4303", std::string(70, 'B')},
        {"4304", std::string(70, 'C')}, {"4305", std::string(70, 'D')},
        {"02", "08012345678907"}}},
      {"(8030)abc-_DEF==", {{"8030", "abc-_DEF=="}}},
  };
  for (const Case& c : cases) {
    const Gs1Reading reading = ReadGs1Label(c.label);
    EXPECT_EQ(reading.refusal, "") << c.label;
    EXPECT_EQ(reading.elements, c.elements) << c.label;
  }
}

}  // namespace
}  // namespace viruzedi
