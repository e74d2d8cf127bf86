// crash_seams.exe DOWNLOAD-FOLDER TERMINAL-FOLDER DATABASE N
//
// A terminal download (Scarica4 over the folder link) with the component's
// seams counted (CrashingSeams.h). With N 0 it runs whole and prints
// "seam calls: K"; with N from 1 to K the process ends at the entry of
// seam call N, as a kill would. The boxes go to standard output.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "viruzedi/Viruzedi.h"
#include "tests/crash/seams/CrashingSeams.h"

int main(int argc, char** argv) {
  using namespace viruzedi;
  if (argc != 5) {
    std::fprintf(stderr, "usage: crash_seams DOWNLOAD-FOLDER TERMINAL-FOLDER DATABASE N\n");
    return 2;
  }
  testing::CountEngineCalls();
  testing::CrashAtSeamCall(std::atoi(argv[4]));
  {
    Viruzedi component(
        testing::CrashingPlatform(DefaultPlatform(), argv[1], std::string("dir:") + argv[2]));
    component.DbPath(argv[3]);
    component.Scarica4();
  }
  std::printf("seam calls: %d (%s)\n", testing::SeamCallsMade(),
              testing::SeamCallsByName().c_str());
  return 0;
}
