// The four line grammars, one table of lines each: the row a line gives,
// or the line's rejection, or the error that ends the import.
#include <gtest/gtest.h>

#include "base/Errors.h"
#include "base/Conversions.h"
#include "terminal/LineFormats.h"
#include "tests/database/support/RowText.h"
#include "tests/support/TestPlatform.h"

namespace viruzedi::testing {
namespace {

constexpr int kRejected = -1;

struct LineCase {
  const char* line;
  const char* row;        // expected row (RowText), when the line gives one
  int error = 0;          // or the error that ends the import, or kRejected
};

void Check(LineGrammar grammar, const std::vector<LineCase>& cases, int16_t idUt = 0) {
  TestPlatform platform;
  platform.localTimes = {LocalDateTime{2026, 12, 6, 9, 30, 15}};
  LineContext context{platform, idUt};
  for (const LineCase& c : cases) {
    SCOPED_TRACE(c.line);
    try {
      std::optional<Row> row = grammar(SplitFields(c.line), context);
      if (c.error == kRejected) {
        EXPECT_FALSE(row) << RowText(*row);
      } else if (c.error != 0) {
        ADD_FAILURE() << "no error " << c.error;
      } else {
        ASSERT_TRUE(row);
        EXPECT_EQ(RowText(*row), c.row);
      }
    } catch (const AutomationError& error) {
      EXPECT_EQ(error.number, c.error) << error.description;
    }
  }
}

TEST(LineFormats, SubOrderReads) {
  std::vector<std::string> s = {
      "Viruzedi: Codart='X12', IdLotto=5, Id SottoOrd=340, Quantità=number 2, Data=date 2026-12-06",
      "Viruzedi: Codart='', IdLotto=5, Id SottoOrd=340, Quantità=number 2, Data=date 2026-12-06",
      "Viruzedi: Codart='X12', IdLotto=8, Id SottoOrd=340, Quantità=number 2, Data=date 2026-12-06",
      "Viruzedi: Codart='X12', IdLotto=2, Id SottoOrd=340, Quantità=number 2, Data=date 2026-12-06",
      "Viruzedi: Codart='X12', IdLotto=4, Id SottoOrd=-340, Quantità=number -2.5,"
          " Data=date 2026-12-06",
      "Viruzedi: Codart='X12', IdLotto=5, Id SottoOrd=340, Quantità=number 12.5,"
          " Data=date 2026-12-06",
      "Viruzedi: Codart='D'AMICO', IdLotto=1, Id SottoOrd=2, Quantità=number .5,"
          " Data=date 2026-12-06",
      "Viruzedi: Codart=' X12 ', IdLotto=5, Id SottoOrd=340, Quantità=number 2,"
          " Data=date 2026-12-06",
  };
  Check(SubOrderReadRow,
        {
            {"X12;5;340;2", s[0].c_str()},
            {"X12;5;340;2;extra;;", s[0].c_str()},  // fields past the fourth are ignored
            {";5;340;2", s[1].c_str()},
            {"X12;7.6;340;2", s[2].c_str()},
            {"X12;2.5;340;2", s[3].c_str()},  // halves to even
            {"X12;3,5;-340;-2.5", s[4].c_str()},
            {"X12; 5 ;340;12,5", s[5].c_str()},
            {"D'AMICO;1;2;0.5", s[6].c_str()},  // the code stored as read
            {" X12 ;5;340;2", s[7].c_str()},    // a code keeps its blanks
            {"", nullptr, kSubscriptOutOfRange},
            {"X12;5;340", nullptr, kSubscriptOutOfRange},
            {"X12;;340;2", nullptr, kTypeMismatch},
            {"X12;5;abc;2", nullptr, kTypeMismatch},
            {"X12;5;340;", nullptr, kTypeMismatch},
            {"X12;5;abc", nullptr, kTypeMismatch},  // fields are read in order
            {"X12;2147483648;1;1", nullptr, kOverflow},
            {"X12;1;-2147483649;1", nullptr, kOverflow},
        });
}

TEST(LineFormats, StockMovements) {
  std::vector<std::string> s = {
      "Viruzedi: Codart='X12', IdLotto=5, Quantità=number 2, Data=date 2026-12-06, Rep=3",
      "Viruzedi: Codart='X12', IdLotto=0, Quantità=number 2, Data=date 2026-12-06, Rep=3",
      "Viruzedi: Codart='K', IdLotto=2, Quantità=number 1, Data=date 2026-12-06, Rep=1",
      "Viruzedi: Codart='K', IdLotto=4, Quantità=number 1, Data=date 2026-12-06, Rep=-1",
      "Viruzedi: Codart='', IdLotto=17, Quantità=number 1, Data=date 2026-12-06, Rep=1",
      "Viruzedi: Codart='K', IdLotto=0, Quantità=number 1, Data=date 2026-12-06, Rep=1",
      "Viruzedi: Codart='X12', IdLotto=5, Quantità=number 2, Data=date 2026-12-15, Rep=3",
      "Viruzedi: Codart='D'AMICO', IdLotto=1, Quantità=number 1, Data=date 2028-02-29, Rep=1",
      "Viruzedi: Codart='K7', IdLotto=0, Quantità=number -2.5, Data=date 2026-12-06, Rep=32767",
  };
  Check(StockMovementRow,
        {
            {"X12$5;2;20261206;3", s[0].c_str()},
            {"X12;2;20261206;3", nullptr, kRejected},
            {"X12;x", nullptr, kRejected},  // rejected before its fields are read
            {"X12$;2;20261206;3", s[1].c_str()},
            {"X12$ab;2;20261206;3", s[1].c_str()},
            {"K$2.5;1;20261206;1", s[2].c_str()},
            {"K$3.5;1;20261206;-1", s[3].c_str()},
            {"$17;1;20261206;1", s[4].c_str()},
            {"K$1$2;1;20261206;1", s[5].c_str()},  // the lot text is "1$2": no number
            {"X12$5;2;2026120615;3", s[6].c_str()},
            {"D'AMICO$1;1;20280229;1", s[7].c_str()},
            {"K7$;-2,5;20261206;32767", s[8].c_str()},
            {"", nullptr, kSubscriptOutOfRange},
            {"X12$5;2;20261206", nullptr, kSubscriptOutOfRange},
            {"X12$5", nullptr, kSubscriptOutOfRange},
            {"X12$5;;20261206;3", nullptr, kTypeMismatch},
            {"X12$5;2;20261206;", nullptr, kTypeMismatch},
            {"X12$5;2;2026126;3", nullptr, kTypeMismatch},  // short date: never a wrong date
            {"X12$5;2;20261306;3", nullptr, kTypeMismatch},
            {"X12$5;2;20270229;3", nullptr, kTypeMismatch},
            {"X12$5;2;20261206;32768", nullptr, kOverflow},
            {"X12$5;2;20261306;32768", nullptr, kOverflow},  // Rep is read before the date
            {"X12$2147483648;2;20261206;3", nullptr, kOverflow},
        });
}

TEST(LineFormats, Reconciliation) {
  std::vector<std::string> s = {
      "Viruzedi: Codart='X12', IdLotto=5, Quantità=number 12.5",
      "Viruzedi: Codart='X12', IdLotto=0, Quantità=number 3",
      "Viruzedi: Codart='A'B', IdLotto=-3, Quantità=number -1",
  };
  Check(ReconciliationRow,
        {
            {"X12$5;12.5", s[0].c_str()},
            {"X12$5;12,5;more", s[0].c_str()},
            {"X12$;3", s[1].c_str()},
            {"A'B$-3;-1", s[2].c_str()},
            {"X12;3", nullptr, kRejected},
            {"X12", nullptr, kRejected},
            {"", nullptr, kSubscriptOutOfRange},
            {"X12$5", nullptr, kSubscriptOutOfRange},
            {"X12$5;", nullptr, kTypeMismatch},
            {"X12$5;abc", nullptr, kTypeMismatch},
            {"X12$1e10;1", nullptr, kOverflow},
        });
}

TEST(LineFormats, Remittances) {
  std::vector<std::string> s = {
      "Viruzedi_RimesseOF: IdUt=4, IdSottoORd=340, Qtà=number 2, NDoc='DDT15',"
          " DataDoc=date 2026-12-06",
      "Viruzedi_RimesseOF: IdUt=4, IdSottoORd=340, Qtà=number 2, NDoc='', DataDoc=date 2026-12-06",
      "Viruzedi_RimesseOF: IdUt=4, IdSottoORd=-1, Qtà=number -.25, NDoc='D'15 ',"
          " DataDoc=date 2027-01-31",
  };
  Check(RemittanceRow,
        {
            {"$ROF;340;2;DDT15;20261206", s[0].c_str()},
            {"$rof;340;2;DDT15;20261206;x", s[0].c_str()},
            {"$ROF;340;2;;20261206", s[1].c_str()},
            {"$ROF;-1;-0,25;D'15 ;20270131", s[2].c_str()},
            {" $ROF;340;2;DDT15;20261206", nullptr, kRejected},
            {"$ROF ;340;2;DDT15;20261206", nullptr, kRejected},
            {"X12;5;340;2", nullptr, kRejected},
            {"", nullptr, kSubscriptOutOfRange},
            {"$ROF;340;2;DDT15", nullptr, kSubscriptOutOfRange},
            {"$ROF;abc;2;DDT15;20261206", nullptr, kTypeMismatch},
            {"$ROF;340;;DDT15;20261206", nullptr, kTypeMismatch},
            {"$ROF;340;2;DDT15;20260230", nullptr, kTypeMismatch},
            {"$ROF;340;2;DDT15;2026", nullptr, kTypeMismatch},
            {"$ROF;3000000000;2;DDT15;20261206", nullptr, kOverflow},
        },
        4);
}

TEST(LineFormats, RemittanceCarriesANegativeUserId) {
  TestPlatform platform;
  LineContext context{platform, -1};
  std::optional<Row> row = RemittanceRow(SplitFields("$ROF;1;1;D;20261206"), context);
  ASSERT_TRUE(row);
  EXPECT_EQ(RowText(*row), "Viruzedi_RimesseOF: IdUt=-1, IdSottoORd=1, Qtà=number 1,"
            " NDoc='D', DataDoc=date 2026-12-06");
}

}  // namespace
}  // namespace viruzedi::testing
