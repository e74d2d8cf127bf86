// The terminal's folder on Windows. A file is claimed through a handle of
// its own: locked, then renamed by that handle, which renames that very
// file whatever its name shows meanwhile, and moved onward the same way.
#include "platform/DirectoryTerminalLink.h"

#include <optional>
#include <string>
#include <vector>

#include "base/Errors.h"
#include "platform/AsideFile.h"
#include "platform/FileSystem.h"
#include "platform/win32/FileHandles.h"
#include "platform/win32/SystemError.h"

namespace viruzedi {
namespace {

constexpr char kClaimEnd[] = ".preso";

bool IsFolder(const std::string& path) {
  DWORD attributes = GetFileAttributesW(WidePath(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// A terminal file taken by this download: renamed inside the terminal's
// folder to a name of its own, and locked through `file` until that name is
// gone, so that a claim whose lock can be taken was left by a dead process.
struct Claim {
  Handle file;
  std::string path;
};

// Puts a claimed file back under the terminal's name, never over a newer
// file the terminal wrote meanwhile (the claim then waits, unlocked, for the
// next download).
void PutBack(Claim& claim, const std::string& source) {
  RenameByHandle(claim.file.get(), source, false);
}

// Copies the claimed file so that `destination` shows the whole file or
// nothing.
void CopyDurably(Claim& claim, const std::string& destination) {
  AsideFile copy(destination);
  std::string buffer(64 * 1024, '\0');
  LARGE_INTEGER start{};
  SetFilePointerEx(claim.file.get(), start, nullptr, FILE_BEGIN);
  while (true) {
    DWORD got = 0;
    if (!ReadFile(claim.file.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &got,
                  nullptr)) {
      RaiseLastWindowsError(claim.path);
    }
    if (got == 0) break;
    copy.Write(std::string_view(buffer.data(), got));
  }
  copy.Commit();
}

class DirectoryTerminalLink : public TerminalLink {
 public:
  explicit DirectoryTerminalLink(std::string folder) : folder_(std::move(folder)) {}

  bool FlagAlternativo() override { return false; }
  void OperazioneAlternativa() override {}

  void InviaFile(const std::string& path) override {
    if (!IsFolder(folder_)) RaiseError(kPathNotFound, folder_);
    if (IsFolder(path)) RaiseError(kFileNotFound, path);
    AsideFile copy(JoinPath(folder_, BaseName(path)));
    char last = 0;
    if (!copy.CopyFromFile(path, last)) RaiseError(kFileNotFound, path);
    copy.Commit();
  }

  bool RiceviFile(const std::string& path, int16_t numeroFile) override {
    if (!IsFolder(folder_)) RaiseError(kPathNotFound, folder_);
    const std::string source = JoinPath(folder_, std::to_string(numeroFile) + ".txt");
    std::optional<Claim> claim = ClaimFile(source, numeroFile);
    if (!claim) return false;  // the terminal has nothing to send

    // The destination is the caller's reservation, open and locked by it
    // until the file is there: it steps aside, and until the file arrives
    // nobody sees the name at all, so none can take it for a waiting file.
    if (!StepAside(path)) {
      DWORD error = GetLastError();
      PutBack(*claim, source);
      RaiseWindowsError(error, path);
    }
    if (RenameByHandle(claim->file.get(), path, false)) return true;
    DWORD error = GetLastError();
    if (error != ERROR_NOT_SAME_DEVICE) {
      PutBack(*claim, source);
      if (error == ERROR_PATH_NOT_FOUND) RaiseError(kPathNotFound, ParentFolder(path));
      RaiseWindowsError(error, ParentFolder(path));
    }
    try {
      CopyDurably(*claim, path);
    } catch (...) {
      PutBack(*claim, source);
      throw;
    }
    // Only a file that has left the terminal counts as received: if it
    // cannot be removed there, the copy goes, so it is not imported twice.
    if (!DeleteByHandle(claim->file.get())) {
      DWORD deleteError = GetLastError();
      DeleteFileW(WidePath(path).c_str());
      PutBack(*claim, source);
      RaiseWindowsError(deleteError, source);
    }
    return true;
  }

 private:
  // Claims are hidden names of the terminal's folder, one per download:
  // ".<N>.txt.<process>-<count>.preso".
  std::string ClaimPrefix(int16_t numeroFile) const {
    return "." + std::to_string(numeroFile) + ".txt.";
  }
  std::string NewClaimName(int16_t numeroFile) {
    return JoinPath(folder_, ClaimPrefix(numeroFile) + std::to_string(GetCurrentProcessId()) +
                                 "-" + std::to_string(claims_++) + kClaimEnd);
  }

  // Locks the open file, then renames it by its handle to a claim of our
  // own. The lock comes first: a file another download has locked is its,
  // whatever name it has.
  std::optional<Claim> Take(Handle file, const std::string& from, int16_t numeroFile) {
    if (!LockHandle(file.get(), false)) return std::nullopt;  // being claimed
    Claim claim{std::move(file), NewClaimName(numeroFile)};
    if (!RenameByHandle(claim.file.get(), claim.path, false)) RaiseLastWindowsError(from);
    return claim;
  }

  std::optional<Claim> ClaimFile(const std::string& source, int16_t numeroFile) {
    if (std::optional<Claim> abandoned = TakeAbandonedClaim(numeroFile)) return abandoned;
    return ClaimTerminalFile(source, numeroFile);
  }

  // A claim whose download died before the file left the terminal's folder.
  std::optional<Claim> TakeAbandonedClaim(int16_t numeroFile) {
    WIN32_FIND_DATAW entry{};
    const std::string pattern = ClaimPrefix(numeroFile) + "*" + kClaimEnd;
    HANDLE search = FindFirstFileW(WidePath(JoinPath(folder_, pattern)).c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return std::nullopt;
    std::vector<std::string> names;
    do {
      if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        names.push_back(Utf8Text(entry.cFileName));
      }
    } while (FindNextFileW(search, &entry));
    FindClose(search);
    for (const std::string& name : names) {
      const std::string path = JoinPath(folder_, name);
      Handle file = OpenExisting(path, GENERIC_READ | DELETE);
      if (!file.valid()) continue;
      if (std::optional<Claim> claim = Take(std::move(file), path, numeroFile)) return claim;
    }
    return std::nullopt;
  }

  // Claims <N>.txt; nothing when there is none or another download has it.
  std::optional<Claim> ClaimTerminalFile(const std::string& source, int16_t numeroFile) {
    // A few rounds: each lost one means another download took the file.
    for (int round = 0; round < 8; ++round) {
      DWORD attributes = GetFileAttributesW(WidePath(source).c_str());
      if (attributes == INVALID_FILE_ATTRIBUTES) {
        DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return std::nullopt;
        RaiseWindowsError(error, source);
      }
      // Only a file is a terminal's file: a folder would be moved as if
      // received.
      if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) {
        RaiseError(kPathFileAccessError, source);
      }
      Handle file = OpenExisting(source, GENERIC_READ | DELETE);
      if (!file.valid()) {
        DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND) continue;
        RaiseWindowsError(error, source);
      }
      if (GetFileType(file.get()) != FILE_TYPE_DISK) RaiseError(kPathFileAccessError, source);
      return Take(std::move(file), source, numeroFile);
    }
    return std::nullopt;
  }

  std::string folder_;
  unsigned claims_ = 0;
};

}  // namespace

std::unique_ptr<TerminalLink> MakeDirectoryTerminalLink(std::string folder) {
  while (folder.size() > 1 && (folder.back() == '\\' || folder.back() == '/') &&
         !(folder.size() == 3 && folder[1] == ':')) {
    folder.pop_back();
  }
  return std::make_unique<DirectoryTerminalLink>(std::move(folder));
}

}  // namespace viruzedi
