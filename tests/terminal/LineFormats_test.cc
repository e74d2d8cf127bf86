// The four line grammars, one table of lines each: the statement a line
// gives, or the line's rejection, or the error that ends the import.
#include <gtest/gtest.h>

#include "base/AutomationError.h"
#include "base/Conversions.h"
#include "terminal/LineFormats.h"
#include "tests/support/TestPlatform.h"

namespace viruzedi::testing {
namespace {

constexpr int kRejected = -1;

struct LineCase {
  const char* line;
  const char* statement;  // expected statement, when the line gives one
  int error = 0;          // or the error that ends the import, or kRejected
};

void Check(LineGrammar grammar, const std::vector<LineCase>& cases, int16_t idUt = 0) {
  TestPlatform platform;
  platform.localTimes = {LocalDateTime{2026, 12, 6, 9, 30, 15}};
  LineContext context{platform, idUt};
  for (const LineCase& c : cases) {
    SCOPED_TRACE(c.line);
    try {
      std::optional<std::string> statement = grammar(SplitFields(c.line), context);
      if (c.error == kRejected) {
        EXPECT_FALSE(statement) << *statement;
      } else if (c.error != 0) {
        ADD_FAILURE() << "no error " << c.error;
      } else {
        ASSERT_TRUE(statement);
        EXPECT_EQ(*statement, c.statement);
      }
    } catch (const AutomationError& error) {
      EXPECT_EQ(error.number, c.error) << error.description;
    }
  }
}

TEST(LineFormats, SubOrderReads) {
  const std::string head =
      "Insert Into Viruzedi (Codart,IdLotto,[Id SottoOrd],Quantità,Data) Select ";
  std::vector<std::string> s = {
      head + "'X12',5, 340,  2, #12/06/2026#",      head + "'',5, 340,  2, #12/06/2026#",
      head + "'X12',8, 340,  2, #12/06/2026#",      head + "'X12',2, 340,  2, #12/06/2026#",
      head + "'X12',4, -340, -2.5, #12/06/2026#",   head + "'X12',5, 340,  12.5, #12/06/2026#",
      head + "'D''AMICO',1, 2,  .5, #12/06/2026#",  head + "' X12 ',5, 340,  2, #12/06/2026#",
  };
  Check(SubOrderReadStatement,
        {
            {"X12;5;340;2", s[0].c_str()},
            {"X12;5;340;2;extra;;", s[0].c_str()},  // fields past the fourth are ignored
            {";5;340;2", s[1].c_str()},
            {"X12;7.6;340;2", s[2].c_str()},
            {"X12;2.5;340;2", s[3].c_str()},  // halves to even
            {"X12;3,5;-340;-2.5", s[4].c_str()},
            {"X12; 5 ;340;12,5", s[5].c_str()},
            {"D'AMICO;1;2;0.5", s[6].c_str()},  // the quote is doubled, the line stored
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
  const std::string head = "Insert Into Viruzedi (Codart,IdLotto,Quantità,Data,Rep) Select ";
  std::vector<std::string> s = {
      head + "'X12',5,  2, #12/06/2026#, 3",     head + "'X12',0,  2, #12/06/2026#, 3",
      head + "'K',2,  1, #12/06/2026#, 1",       head + "'K',4,  1, #12/06/2026#, -1",
      head + "'',17,  1, #12/06/2026#, 1",       head + "'K',0,  1, #12/06/2026#, 1",
      head + "'X12',5,  2, #12/15/2026#, 3",     head + "'D''AMICO',1,  1, #02/29/2028#, 1",
      head + "'K7',0, -2.5, #12/06/2026#, 32767",
  };
  Check(StockMovementStatement,
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
  const std::string head = "Insert Into Viruzedi (Codart,IdLotto,Quantità) Select ";
  std::vector<std::string> s = {head + "'X12',5,  12.5", head + "'X12',0,  3",
                                head + "'A''B',-3, -1"};
  Check(ReconciliationStatement,
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
  const std::string head =
      "Insert Into Viruzedi_RimesseOF (IdUt, IdSottoORd,Qtà,NDoc,DataDoc) Select ";
  std::vector<std::string> s = {head + "4,340,  2 , 'DDT15', #12/06/2026#",
                                head + "4,340,  2 , '', #12/06/2026#",
                                head + "4,-1, -.25 , 'D''15 ', #01/31/2027#"};
  Check(RemittanceStatement,
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
  EXPECT_EQ(RemittanceStatement(SplitFields("$ROF;1;1;D;20261206"), context),
            "Insert Into Viruzedi_RimesseOF (IdUt, IdSottoORd,Qtà,NDoc,DataDoc) Select "
            "-1,1,  1 , 'D', #12/06/2026#");
}

}  // namespace
}  // namespace viruzedi::testing
