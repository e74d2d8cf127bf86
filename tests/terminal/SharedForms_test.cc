// The transfer forms are one instance for every object of the component. A
// host that runs its events while a message of the transfer is up (a modal
// box does) may call another object's download then: that one is refused,
// and the transfer under way keeps its control.
#include <gtest/gtest.h>

#include <functional>

#include "base/Errors.h"
#include "database/Database.h"
#include "viruzedi/Viruzedi.h"
#include "tests/support/TestPlatform.h"

namespace viruzedi::testing {
namespace {

class HostRunningEventsInBoxes : public TestPlatform {
 public:
  void MessageBox(const std::string& text, int style, const std::string& caption) override {
    TestPlatform::MessageBox(text, style, caption);
    if (!duringBox) return;
    auto event = std::move(duringBox);
    duringBox = nullptr;
    event();
  }
  std::function<void()> duringBox;
};

TEST(SharedForms, AnotherObjectsTransferWhileAFormIsLoadedIsRefused) {
  TemporaryFolder temporary;
  std::string database = temporary / "magazzino.db";
  DBEngine::CreateTargetDatabase(database);
  auto platform = std::make_shared<HostRunningEventsInBoxes>();
  platform->downloadFolder = temporary / "_Letture";
  platform->terminalSetting = "";  // the link's message is the box shown

  Viruzedi first(platform), second(platform);
  first.DbPath(database);
  second.DbPath(database);
  int32_t uploadRefusal = 0;
  platform->duringBox = [&] {
    second.Scarica4();
    try {
      second.Upload1();
    } catch (const AutomationError& error) {
      uploadRefusal = error.number;
    }
  };
  first.Scarica4();

  // The link's message, then the download refused through its error box;
  // the upload's form is a different one and is free.
  ASSERT_EQ(platform->boxes.size(), 3u);
  EXPECT_EQ(platform->boxes[1].caption, "17");
  EXPECT_EQ(platform->boxes[1].text.rfind(ErrorDescription(kOperationRefused), 0), 0u);
  EXPECT_EQ(platform->boxes[2].caption, platform->boxes[0].caption);
  EXPECT_EQ(uploadRefusal, 0);

  // Both forms are free again afterwards.
  platform->boxes.clear();
  second.Scarica4();
  EXPECT_EQ(platform->boxes.size(), 1u);
}

}  // namespace
}  // namespace viruzedi::testing
