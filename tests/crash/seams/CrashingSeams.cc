#include "tests/crash/seams/CrashingSeams.h"

#include <cstdio>
#include <map>
#include <utility>
#include <vector>

namespace viruzedi::testing {
namespace {

int crashAt = 0;
int made = 0;
std::map<std::string, int> madeOf;

// The entry of a seam call `what`: the crash point, when it is this one.
void AtSeam(const char* what) {
  ++madeOf[what];
  if (++made != crashAt) return;
  EndAsKilled();
}

class CrashingFiles : public FileSystem {
 public:
  explicit CrashingFiles(FileSystem& target) : target_(target) {}

  bool FolderExists(const std::string& path) override { return target_.FolderExists(path); }
  void CreateFolder(const std::string& path) override {
    AtSeam("CreateFolder");
    target_.CreateFolder(path);
  }
  bool FileExists(const std::string& path) override { return target_.FileExists(path); }
  void DeleteFile(const std::string& path, bool force) override {
    AtSeam("DeleteFile");
    target_.DeleteFile(path, force);
  }
  std::unique_ptr<TextStream> OpenTextFile(const std::string& path) override {
    return target_.OpenTextFile(path);
  }
  void MoveFile(const std::string& source, const std::string& destination) override {
    AtSeam("MoveFile");
    target_.MoveFile(source, destination);
  }
  void WriteTextFile(const std::string& path, const std::string& text) override {
    AtSeam("WriteTextFile");
    target_.WriteTextFile(path, text);
  }
  std::unique_ptr<FileLock> CreateLocked(const std::string& path) override {
    AtSeam("CreateLocked");
    return target_.CreateLocked(path);
  }
  std::unique_ptr<FileLock> TryLock(const std::string& path) override {
    return target_.TryLock(path);
  }
  void AppendToFile(const std::string& path, const std::string& bytes) override {
    AtSeam("AppendToFile");
    target_.AppendToFile(path, bytes);
  }
  std::string FileVersion(const std::string& path) override { return target_.FileVersion(path); }
  std::vector<std::string> ListFolder(const std::string& folder) override {
    return target_.ListFolder(folder);
  }
  std::string CanonicalFolder(const std::string& folder) override {
    return target_.CanonicalFolder(folder);
  }

 private:
  FileSystem& target_;
};

class CrashingLink : public TerminalLink {
 public:
  explicit CrashingLink(std::unique_ptr<TerminalLink> target) : target_(std::move(target)) {}

  bool FlagAlternativo() override { return target_->FlagAlternativo(); }
  void OperazioneAlternativa() override { target_->OperazioneAlternativa(); }
  void InviaFile(const std::string& path) override {
    AtSeam("InviaFile");
    target_->InviaFile(path);
  }
  bool RiceviFile(const std::string& path, int16_t numeroFile) override {
    AtSeam("RiceviFile");
    return target_->RiceviFile(path, numeroFile);
  }

 private:
  std::unique_ptr<TerminalLink> target_;
};

class Crashing : public ForwardingPlatform {
 public:
  Crashing(std::shared_ptr<Platform> target, std::string downloadFolder,
           std::string terminalSetting)
      : ForwardingPlatform(target),
        files_(target->Files()),
        downloadFolder_(std::move(downloadFolder)),
        terminalSetting_(std::move(terminalSetting)) {}

  void MessageBox(const std::string& text, int /*style*/, const std::string& caption) override {
    std::printf("%s\n", MessageBoxLine(text, caption).c_str());
    std::fflush(stdout);
  }
  std::string DownloadFolder() override { return downloadFolder_; }
  std::string TerminalSetting() override { return terminalSetting_; }
  FileSystem& Files() override { return files_; }
  std::unique_ptr<TerminalLink> CreateTerminalLink() override {
    return std::make_unique<CrashingLink>(ForwardingPlatform::CreateTerminalLink());
  }
  std::unique_ptr<TerminalLink> TerminalLinkOver(Platform& services) override {
    return std::make_unique<CrashingLink>(ForwardingPlatform::TerminalLinkOver(services));
  }

 private:
  CrashingFiles files_;
  std::string downloadFolder_;
  std::string terminalSetting_;
};

class CrashingSession : public EngineSession {
 public:
  explicit CrashingSession(std::unique_ptr<EngineSession> target) : target_(std::move(target)) {}

  void CheckOpen() const override { target_->CheckOpen(); }
  const TableSchema& Table(const std::string& name) override { return target_->Table(name); }
  bool Insert(const TableSchema& table, const std::vector<size_t>& columns,
              const std::vector<BoundValue>& values) override {
    AtSeam("Insert");
    return target_->Insert(table, columns, values);
  }
  void Begin() override {
    AtSeam("Begin");
    target_->Begin();
  }
  void Commit() override {
    AtSeam("Commit");
    target_->Commit();
  }
  void Rollback() noexcept override { target_->Rollback(); }
  void MakeDurable() override {
    AtSeam("MakeDurable");
    target_->MakeDurable();
  }
  std::vector<std::vector<std::string>> Run(const std::string& sql,
                                            const std::vector<BoundValue>& parameters) override {
    // What only reads changes nothing a crash leaves.
    if (sql.rfind("SELECT", 0) != 0) AtSeam("Run");
    return target_->Run(sql, parameters);
  }
  // Only asks: changes nothing a crash leaves.
  void CheckRights(const TableSchema& table, const std::vector<size_t>& columns) override {
    target_->CheckRights(table, columns);
  }
  void CreateLedgerTable() override {
    AtSeam("CreateLedgerTable");
    target_->CreateLedgerTable();
  }
  void Close() noexcept override { target_->Close(); }

 private:
  std::unique_ptr<EngineSession> target_;
};

class CrashingEngine : public Engine {
 public:
  explicit CrashingEngine(Engine& target) : target_(target) {}

  std::unique_ptr<EngineSession> OpenSession(const std::string& name,
                                             std::chrono::milliseconds busyTimeout) override {
    return std::make_unique<CrashingSession>(target_.OpenSession(name, busyTimeout));
  }
  void CreateTargetDatabase(const std::string& name) override {
    AtSeam("CreateTargetDatabase");
    target_.CreateTargetDatabase(name);
  }
  std::vector<TableRows> ListRows(const std::string& name, const std::vector<std::string>& tables,
                                  size_t most, std::chrono::milliseconds busyTimeout) override {
    return target_.ListRows(name, tables, most, busyTimeout);
  }

 private:
  Engine& target_;
};

}  // namespace

void CrashAtSeamCall(int number) { crashAt = number; }

int SeamCallsMade() { return made; }

std::string SeamCallsByName() {
  std::string text;
  for (const auto& [what, count] : madeOf) text += " " + what + " " + std::to_string(count);
  return text.empty() ? text : text.substr(1);
}

std::shared_ptr<Platform> CrashingPlatform(std::shared_ptr<Platform> target,
                                           std::string downloadFolder,
                                           std::string terminalSetting) {
  return std::make_shared<Crashing>(std::move(target), std::move(downloadFolder),
                                    std::move(terminalSetting));
}

void CountEngineCalls() {
  RouteEnginesThrough([](Engine& picked) -> Engine& {
    // One engine serves every database of a Windows build; each picked one
    // gets a counting one of its own, kept for the program's life.
    static std::vector<std::pair<Engine*, std::unique_ptr<CrashingEngine>>> routed;
    for (auto& [target, counting] : routed) {
      if (target == &picked) return *counting;
    }
    routed.emplace_back(&picked, std::make_unique<CrashingEngine>(picked));
    return *routed.back().second;
  });
}

}  // namespace viruzedi::testing
