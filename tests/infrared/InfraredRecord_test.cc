// The grammar of a record reply and the row it becomes.
#include "infrared/InfraredRecord.h"

#include <gtest/gtest.h>

#include "base/Errors.h"
#include "tests/database/support/RowText.h"

namespace viruzedi {
namespace {

// The reply as the dialogue holds it: the reader's text over 100 spaces.
std::string Buffer(const std::string& text) {
  std::string buffer(100, ' ');
  buffer.replace(0, text.size(), text);
  return buffer;
}

using namespace std::string_literals;
using testing::RowText;

const std::string kHead = "Viruzedi: Codart='";

TEST(InfraredRecord, BecomesTheRowOfItsFields) {
  struct Case {
    std::string reply;
    std::string row;  // RowText
  } cases[] = {
      {"#A7$12;1.5;20261206;3;",
       kHead + "#A7', IdLotto=12, Quantità=number 1.5, Data=date 2026-12-06, Rep=3"},
      {"#A1$5;2;20260131;7;",
       kHead + "#A1', IdLotto=5, Quantità=number 2, Data=date 2026-01-31, Rep=7"},
      {"#A7$12;12;20261206;3;",
       kHead + "#A7', IdLotto=12, Quantità=number 12, Data=date 2026-12-06, Rep=3"},
      // The code keeps its spaces; text after the fourth ";" is ignored.
      {"# A 7 $12;1.5;20261206;3;9;9;",
       kHead + "# A 7 ', IdLotto=12, Quantità=number 1.5, Data=date 2026-12-06, Rep=3"},
      // The code is stored as sent, quotes and all.
      {"#D'ORO$1;1;20260101;1;",
       kHead + "#D'ORO', IdLotto=1, Quantità=number 1, Data=date 2026-01-01, Rep=1"},
      {"#$-4;-1.25;20260101;-2;",
       kHead + "#', IdLotto=-4, Quantità=number -1.25, Data=date 2026-01-01, Rep=-2"},
      {"#Q$1;0.25;20260101;1;",
       kHead + "#Q', IdLotto=1, Quantità=number .25, Data=date 2026-01-01, Rep=1"},
      // Integers round halves to even; the numbers may stand between blanks.
      {"#R$ 12.5 ;1;20260101; 13.5;",
       kHead + "#R', IdLotto=12, Quantità=number 1, Data=date 2026-01-01, Rep=14"},
      // The day comes from the last two characters of the date.
      {"#D$1;1;202612106;1;",
       kHead + "#D', IdLotto=1, Quantità=number 1, Data=date 2026-12-06, Rep=1"},
      {"#A7$12;1.5;20261206;3;\0garbage"s,
       kHead + "#A7', IdLotto=12, Quantità=number 1.5, Data=date 2026-12-06, Rep=3"},
  };
  for (const Case& c : cases) {
    std::optional<InfraredRecord> record = ReadInfraredRecord(Buffer(c.reply));
    ASSERT_TRUE(record) << c.reply;
    EXPECT_EQ(RowText(InfraredRecordRow(*record)), c.row) << c.reply;
  }
}

TEST(InfraredRecord, WithoutCodeSeparatorIsABadCode) {
  for (const char* reply : {"#A7;12;1.5;20261206;3;", "#", "#ABC"}) {
    EXPECT_FALSE(ReadInfraredRecord(Buffer(reply))) << reply;
  }
}

TEST(InfraredRecord, FieldsThatCannotBeReadEndTheDownload) {
  struct Case {
    std::string reply;
    int32_t error;
  } cases[] = {
      {"#A7$12;1.5;20261206;3", kInvalidArgument},  // no fourth ";"
      {"#A7$12;1.5;20261206", kInvalidArgument},
      {"#A7$12", kInvalidArgument},
      {"#A7$;1.5;20261206;3;", kTypeMismatch},  // empty lot
      {"#A7$12;1.5;ABCDEFGH;3;", kTypeMismatch},
      {"#A7$12;1.5;2026126;3;", kTypeMismatch},  // seven characters
      {"#A7$12;1.5;20261306;3;", kTypeMismatch},
      {"#A7$12;1.5;20260230;3;", kTypeMismatch},
      {"#A7$12;abc;20261206;3;", kTypeMismatch},
      {"#A7$12;1.2.3;20261206;3;", kTypeMismatch},
      {"#A7$12;1.5;20261206;x;", kTypeMismatch},
      {"#A7$99999999999;1.5;20261206;3;", kOverflow},
      {"#A7$12;1.5;20261206;2147483648;", kOverflow},
      // The lot is converted before the missing separators are found.
      {"#A7$x;1", kTypeMismatch},
  };
  for (const Case& c : cases) {
    try {
      ReadInfraredRecord(Buffer(c.reply));
      ADD_FAILURE() << c.reply << " was read";
    } catch (const AutomationError& error) {
      EXPECT_EQ(error.number, c.error) << c.reply;
    }
  }
}

}  // namespace
}  // namespace viruzedi
