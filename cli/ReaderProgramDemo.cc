// The reader program imports' steps of the demo, against the simulated
// reader.
#include <chrono>
#include <string>
#include <vector>

#include "cli/Demo.h"
#include "platform/FileSystem.h"

namespace viruzedi::cli {
namespace {

using namespace std::chrono_literals;

// Starts the simulated reader holding `reads`.
SimulatedDevice StartReader(const DemoContext& context, const std::vector<std::string>& reads) {
  std::vector<std::string> arguments;
  for (const std::string& read : reads) {
    arguments.push_back("--lettura");
    arguments.push_back(read);
  }
  return StartSimulator(context, "reader-simulator", arguments, reads);
}

DemoRegistration readerFile(40, "Reader program: reader file (scarica2)", [](DemoContext& c) {
  SimulatedDevice reader =
      StartReader(c, {"8001234;5", "8001235;12;17", "8001236;3,5;18", "  8001237 ;1"});
  if (reader.device.empty()) return;
  c.runViruzedi({"--com", "3=" + reader.device, "scarica2", c.database,
                 JoinPath(c.workFolder, "letture.txt"), "--porta-com", "3", "--baud", "3", "--timeout",
                 "1"});
  reader.process->Terminate();
});

DemoRegistration gs1Labels(41, "Reader program: GS1 labels (scarica-zidorivovi)",
                           [](DemoContext& c) {
  SimulatedDevice reader = StartReader(
      c,
      {"(02)08012345678907(37)12(15)250315(10)LOT42;380123450000000013",
       "(15)261200(02)08012345612345(37)4(10)L-0007;380123450000000020",
       // No (37): the warning names the line and the reason, the label is
       // kept in Etichette_scartate.txt, and the next label follows.
       "(02)08012345699995(15)270101(10)L2027;380123450000000037",
       // As a scanner sends it (GS1-128, a GS after each value whose length
       // varies), the SSCC from the label's own (00).
       "]C100380123450000000044" "0208012345699995" "3760\x1D" "10L2027\x1D" "15270101;",
       // The Digital Link address of a 2D label.
       "https://id.example.com/02/08012345678907/10/LOT43?15=250400&37=5;380123450000000051"});
  if (reader.device.empty()) return;
  c.runViruzedi({"--com", "3=" + reader.device, "scarica-zidorivovi", c.database,
                 JoinPath(c.workFolder, "etichette.txt"), "--porta-com", "3", "--baud", "3",
                 "--timeout", "1", "--mostra-file", "1"});
  reader.process->Terminate();
});

}  // namespace
}  // namespace viruzedi::cli
