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

class CrashingConnection : public EngineConnection {
 public:
  explicit CrashingConnection(std::unique_ptr<EngineConnection> target)
      : target_(std::move(target)) {}

  const std::string& Shown() const override { return target_->Shown(); }
  bool StillServes(const std::string& name, bool inTransaction) override {
    return target_->StillServes(name, inTransaction);
  }
  std::vector<CatalogTable> Tables() override { return target_->Tables(); }
  void ReadTable(KnownTable& table) override { target_->ReadTable(table); }
  std::vector<std::string> TableVersions(const std::vector<const KnownTable*>& tables) override {
    return target_->TableVersions(tables);
  }
  void ForgetStatements() override { target_->ForgetStatements(); }
  BatchOutcome Send(const RowBatch& batch) override {
    AtSeam("Send");
    return target_->Send(batch);
  }
  std::vector<std::vector<std::string>> Run(const std::string& sql,
                                            const std::vector<BoundValue>& parameters) override {
    // What only reads changes nothing a crash leaves.
    if (sql.rfind("SELECT", 0) != 0) AtSeam("Run");
    return target_->Run(sql, parameters);
  }
  void Execute(const std::string& sql) override {
    AtSeam("Execute");
    target_->Execute(sql);
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
  void RestartTransaction() override {
    AtSeam("RestartTransaction");
    target_->RestartTransaction();
  }
  bool RefusalEndsTransaction() const override { return target_->RefusalEndsTransaction(); }
  void MakeDurable() override {
    AtSeam("MakeDurable");
    target_->MakeDurable();
  }
  // Only asks: changes nothing a crash leaves.
  void CheckRights(const KnownTable& table, const std::vector<size_t>& columns,
                   const std::function<const KnownTable*()>& ledger) override {
    target_->CheckRights(table, columns, ledger);
  }
  const SqlTypes& LedgerTypes() const override { return target_->LedgerTypes(); }
  void LockTableCreation() override { target_->LockTableCreation(); }
  void ListRows(const KnownTable& table, size_t most, std::vector<std::vector<std::string>>& rows,
                int64_t& count) override {
    target_->ListRows(table, most, rows, count);
  }

 private:
  std::unique_ptr<EngineConnection> target_;
};

class CrashingEngine : public Engine {
 public:
  explicit CrashingEngine(Engine& target) : target_(target) {}

  std::string ReuseKey(const std::string& name) override { return target_.ReuseKey(name); }
  std::unique_ptr<EngineConnection> Connect(const std::string& name,
                                            std::chrono::milliseconds busyTimeout) override {
    return std::make_unique<CrashingConnection>(target_.Connect(name, busyTimeout));
  }
  std::unique_ptr<EngineConnection> ConnectToRead(const std::string& name,
                                                  std::chrono::milliseconds busyTimeout) override {
    return target_.ConnectToRead(name, busyTimeout);
  }
  void CreateTargetDatabase(const std::string& name) override {
    AtSeam("CreateTargetDatabase");
    target_.CreateTargetDatabase(name);
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
