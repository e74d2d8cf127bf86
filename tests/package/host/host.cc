// A host program as one is written on Linux: built against the installed
// headers alone through pkg-config, it replaces the message boxes, runs one
// terminal download into the database it is given and says how it ended.
//   host DATABASE
// Exit 0 when the download stored its rows, 1 when it failed, 2 on misuse.
#include <viruzedi/Viruzedi.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

class HostPlatform : public viruzedi::ForwardingPlatform {
 public:
  HostPlatform() : ForwardingPlatform(viruzedi::DefaultPlatform()) {}
  void MessageBox(const std::string& text, int, const std::string& caption) override {
    boxes.push_back(viruzedi::MessageBoxLine(text, caption));
  }
  std::vector<std::string> boxes;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s DATABASE\n", argv[0]);
    return 2;
  }
  std::signal(SIGXFSZ, SIG_IGN);
  if (std::strcmp(viruzedi::ComponentVersion(), viruzedi::kVersion) != 0) {
    std::fprintf(stderr, "built against %s, loaded %s\n", viruzedi::kVersion,
                 viruzedi::ComponentVersion());
    return 1;
  }
  auto platform = std::make_shared<HostPlatform>();
  viruzedi::Viruzedi component(platform);
  component.DbPath(argv[1]);
  component.Scarica4();
  for (const std::string& box : platform->boxes) std::fprintf(stderr, "%s\n", box.c_str());

  const viruzedi::OperationOutcome& outcome = component.LastOutcome();
  if (outcome.failed) {
    std::fprintf(stderr, "failed: %d %s\n", outcome.errorNumber, outcome.detail.c_str());
    return 1;
  }
  std::printf("stored, %s\n", viruzedi::ImportFormatName(viruzedi::ImportFormat::kScarica4));
  return 0;
}
