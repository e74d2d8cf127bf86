// The terminal-transfer control: moves whole files between the workstation
// and the portable terminal. Its four members are the ones the transfer
// forms use; how the link reaches the terminal is the link's own affair.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace viruzedi {

class Platform;

class TerminalLink {
 public:
  virtual ~TerminalLink() = default;

  // True when the link cannot transfer (no terminal configured); the forms
  // then call OperazioneAlternativa instead of a transfer.
  virtual bool FlagAlternativo() = 0;
  // What the control does in place of a transfer: tells the user how to
  // configure a terminal.
  virtual void OperazioneAlternativa() = 0;
  // Sends the file at `path` to the terminal; returns when the send is over.
  // Throws AutomationError on a failed transfer.
  virtual void InviaFile(const std::string& path) = 0;
  // Fetches the terminal's file `numeroFile` onto `path`: the file is
  // written aside and renamed onto `path` once whole, replacing what is
  // there (the caller's reservation of the name). Returns true when a file
  // arrived; false when the terminal has none, `path` then as it was.
  // Throws AutomationError on a failed transfer, `path` left as it was.
  virtual bool RiceviFile(const std::string& path, int16_t numeroFile) = 0;
};

// The link named by a setting: "dir:FOLDER", "serial:DEVICE[,BAUD]",
// or "" for none (FlagAlternativo true). An unknown form also gives a link
// whose FlagAlternativo is true and whose OperazioneAlternativa says why.
// What stands beside a received file, `<path>.da-confermare`, from before
// the file is whole at its path until the terminal has been told it
// arrived, on a link whose terminal drops its copy when told (YMODEM). A
// crash in between leaves the file and this marker: the terminal may send
// the same file again, and the next download compares before importing.
inline constexpr char kMarcaDaConfermare[] = ".da-confermare";

std::unique_ptr<TerminalLink> MakeTerminalLink(const std::string& setting,
                                               Platform& platform);

}  // namespace viruzedi
