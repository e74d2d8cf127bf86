// Demo steps of the terminal transfers: the terminal's storage is a folder of
// the demo (a dir: link), filled with sample files before each download.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "cli/Demo.h"
#include "platform/FileSystem.h"

namespace viruzedi::cli {
namespace {

std::string TerminalFolder(const DemoContext& context) {
  return JoinPath(context.workFolder, "terminale");
}

std::string TerminalOption(const DemoContext& context) {
  return "dir:" + TerminalFolder(context);
}

// Puts a file where the terminal keeps it, lines ended by CR LF as the
// terminal writes them.
void WriteTerminalFile(const std::string& path, const std::vector<std::string>& lines) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  for (const std::string& line : lines) out << line << "\r\n";
  std::cout << "  " << path << ":\n";
  for (const std::string& line : lines) std::cout << "    " << line << "\n";
}

void Download(DemoContext& context, const std::string& numeroFile,
              const std::vector<std::string>& lines, const std::vector<std::string>& command) {
  WriteTerminalFile(JoinPath(TerminalFolder(context), numeroFile + ".txt"), lines);
  std::vector<std::string> args{"--terminale", TerminalOption(context)};
  args.insert(args.end(), command.begin(), command.end());
  context.runViruzedi(args);
}

DemoRegistration stockMovements(30, "Terminal: stock movements (scarica4)", [](DemoContext& c) {
  Download(c, "1",
           {"A100$12;5;20261206;1", "B'200$3;2,5;20261206;2",
            "X99;1;20261206;1",  // no "$": the bad-code warning, then the next line
            "C300$;10;20261207;1"},
           {"scarica4", "--db", c.database});
});

DemoRegistration subOrderReads(31, "Terminal: sub-order reads (scarica3)", [](DemoContext& c) {
  Download(c, "1", {"A100;12;340;2", "B200;3;341;1.5"}, {"scarica3", "--db", c.database});
});

DemoRegistration reconciliation(32, "Terminal: reconciliation (scarica5)", [](DemoContext& c) {
  Download(c, "2", {"A100$12;4", "B'200$3;7.5", "SENZALOTTO;1"},
           {"scarica5", "--db", c.database});
});

DemoRegistration remittances(33, "Terminal: remittances (scarica-rimesseof)", [](DemoContext& c) {
  Download(c, "1",
           {"$ROF;340;2;DDT15;20261206", "$rof;341;1.5;D'ANGELO 7;20261207",
            "X12;5;340;2"},  // a sub-order read, not a remittance: rejected
           {"scarica-rimesseof", "--db", c.database, "--idut", "4"});
});

DemoRegistration upload(34, "Terminal: upload (upload1)", [](DemoContext& c) {
  std::filesystem::create_directories(c.downloadFolder);
  WriteTerminalFile(JoinPath(c.downloadFolder, "file_up.tmp"),
                    {"U;1;ROSSI", "U;2;BIANCHI", "G;A100;12;40"});
  c.runViruzedi({"--terminale", TerminalOption(c), "upload1"});
  std::cout << "  the terminal now holds:";
  for (const auto& entry : std::filesystem::directory_iterator(TerminalFolder(c))) {
    std::cout << ' ' << entry.path().filename().string();
  }
  std::cout << std::endl;
});

DemoRegistration archives(35, "Terminal: the download folder", [](DemoContext& c) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(c.downloadFolder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  for (const std::string& name : names) std::cout << "  " << name << "\n";
  // Every file was imported: none waits.
  c.runViruzedi({"in-attesa"});
});

}  // namespace
}  // namespace viruzedi::cli
