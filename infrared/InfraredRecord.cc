#include "infrared/InfraredRecord.h"

#include <algorithm>

#include "base/Conversions.h"
#include "base/Errors.h"
#include "base/Fingerprint.h"
#include "database/Database.h"
#include "database/ImportLedger.h"
#include "database/RowSource.h"
#include "infrared/InfraredTexts.h"
#include "operation/FileLedger.h"
#include "operation/Messages.h"
#include "platform/FileSystem.h"
#include "platform/Windows1252.h"

namespace viruzedi {

namespace {

constexpr char kSeparatoreCodice = '$';
constexpr char kSeparatoreCampo = ';';
constexpr const char kTabella[] = "Viruzedi";

// The working text up to the first ";", which is consumed with it.
std::string_view CutField(std::string_view& working) {
  std::string_view::size_type end = working.find(kSeparatoreCampo);
  if (end == std::string_view::npos) RaiseError(kInvalidArgument);
  std::string_view field = working.substr(0, end);
  working.remove_prefix(end + 1);
  return field;
}

// The reader writes "." for the decimal mark; the conversion is the one for
// the workstation's comma, as every import of the component reads numbers.
double QuantityFromField(std::string_view field) {
  std::string text(field);
  std::replace(text.begin(), text.end(), '.', ',');
  return TextToDouble(text);
}

}  // namespace

std::optional<InfraredRecord> ReadInfraredRecord(std::string_view reply) {
  std::string_view::size_type dollar = reply.find(kSeparatoreCodice);
  if (dollar == std::string_view::npos) return std::nullopt;
  InfraredRecord record;
  record.code = std::string(reply.substr(0, dollar));
  std::string_view working = reply.substr(dollar + 1);
  record.lot = TextToLong(CutField(working));
  record.quantity = QuantityFromField(CutField(working));
  record.date = DateFromField(CutField(working));
  record.department = TextToLong(CutField(working));
  return record;
}

Row InfraredRecordRow(const InfraredRecord& record) {
  return Row{kTabella,
             {{"Codart", RowValue::Text(record.code)},
              {"IdLotto", RowValue::Integer(record.lot)},
              {"Quantità", RowValue::Number(record.quantity)},
              {"Data", RowValue::Date(record.date)},
              {"Rep", RowValue::Integer(record.department)}}};
}

InfraredRecordImport::InfraredRecordImport(Platform& platform, std::string dbPath,
                                           DatabaseSettings& settings, int32_t port)
    : platform_(platform),
      dbPath_(std::move(dbPath)),
      settings_(settings),
      nome_("COM" + std::to_string(port)) {}

InfraredRecordImport::~InfraredRecordImport() = default;

void InfraredRecordImport::CheckDatabase() {
  database_ = DBEngine::Instance().OpenDatabase(dbPath_, settings_);
  database_->CheckWritable(kTabella, {"Codart", "IdLotto", "Quantità", "Data", "Rep"});
}

void InfraredRecordImport::Import(const std::string& reply) {
  // Opened before the reply is examined: a database gone since the check
  // fails at the next reply, bad code or not.
  std::unique_ptr<Database> opened = DBEngine::Instance().OpenDatabase(dbPath_, settings_);
  std::optional<InfraredRecord> record = ReadInfraredRecord(reply);
  if (!record) {
    platform_.MessageBox(kAvvisoCodiceErrato, kCritical, kTitoloPredefinito);
    rejected_.push_back(reply);
    replies_.push_back({reply, std::nullopt});
    return;
  }
  replies_.push_back({reply, InfraredRecordRow(*record)});
}

namespace {

// A reply without the padding of the reply buffer, which is no part of it.
std::string_view AsReceived(std::string_view reply) {
  reply.remove_suffix(reply.size() - (reply.find_last_not_of(' ') + 1));
  return reply;
}

// The fingerprint of the first `count` replies, each as received followed
// by CR, bad codes included: what the reader holds, whatever was stored.
template <typename Replies>
std::string RepliesFingerprint(const Replies& replies, size_t count) {
  Fingerprint fingerprint;
  for (size_t i = 0; i < count && i < replies.size(); ++i) {
    fingerprint.Add(AsReceived(replies[i].text));
    fingerprint.Add("\r");
  }
  return fingerprint.Hex();
}

// The rows of the replies from `first` on, bad codes passed over: a
// download's rows stay in memory until the reader has sent them all.
template <typename Replies>
class ReplyRows : public RowSource {
 public:
  ReplyRows(const Replies& replies, size_t first) : replies_(replies), first_(first) {}

  void Rewind() override { next_ = first_; }
  bool Next(Row& row) override {
    for (; next_ < replies_.size(); ++next_) {
      if (!replies_[next_].row) continue;
      row = *replies_[next_++].row;
      return true;
    }
    return false;
  }

 private:
  const Replies& replies_;
  size_t first_;
  size_t next_ = 0;
};

}  // namespace

void InfraredRecordImport::Store() {
  // The rejected replies first: should the rows then fail, a relaunch
  // appends them once more, which costs a repeated line of a text file
  // rather than a row stored twice.
  FileSystem& files = platform_.Files();
  std::string folder = platform_.DownloadFolder();
  if (!rejected_.empty()) {
    std::string lines;
    for (const std::string& reply : rejected_) {
      lines += Utf8ToWindows1252(AsReceived(reply)) + "\r\n";
    }
    if (!files.FolderExists(folder)) files.CreateFolder(folder);
    files.AppendToFile(JoinPath(folder, kFileScartati), lines);
  }
  if (!database_) CheckDatabase();

  // What an earlier download of this port left for the erase: looked up
  // before the transaction, settled inside it.
  ImportLedger ledger(*database_);
  std::vector<LedgerEntry> pending;
  size_t storedBefore = 0;
  if (ledger.Available()) {
    postazione_ = PostazioneOf(platform_, folder);
    pending = ledger.Find(postazione_, kOrigineInfrarossi, nome_, kStatoDaCancellare);
    for (const LedgerEntry& entry : pending) {
      const size_t count = static_cast<size_t>(std::max<int64_t>(entry.righe, 0));
      if (count <= replies_.size() && RepliesFingerprint(replies_, count) == entry.impronta) {
        storedBefore = std::max(storedBefore, count);
      }
    }
  } else {
    ledgerMissing_ = true;
  }

  const std::string fingerprint = RepliesFingerprint(replies_, replies_.size());
  ReplyRows rows(replies_, storedBefore);
  Transaction transaction(*database_);
  database_->InsertRows(rows);
  if (!ledgerMissing_) {
    const std::string now = LedgerTime(platform_.LocalNow());
    for (const LedgerEntry& entry : pending) {
      const size_t count = static_cast<size_t>(std::max<int64_t>(entry.righe, 0));
      ledger.SetState(entry.id, count <= storedBefore ? kStatoCancellato : kStatoSostituito, now);
    }
    ledger.Add({0, postazione_, kOrigineInfrarossi, nome_, fingerprint,
                static_cast<int64_t>(replies_.size()), kStatoDaCancellare, now});
  }
  try {
    transaction.Commit();
  } catch (const AutomationError& failure) {
    // The connection went during COMMIT: the server may have committed.
    // The reader erases only when an entry for these very replies says so;
    // otherwise it keeps them for the relaunch.
    if (failure.number != kDbConnectionLost || ledgerMissing_ || !HasPendingEntry(fingerprint)) {
      throw;
    }
    return;
  }
  database_->MakeDurable();
}

bool InfraredRecordImport::HasPendingEntry(const std::string& fingerprint) noexcept {
  try {
    std::unique_ptr<Database> asked = database_->Reopen();
    for (const LedgerEntry& entry :
         ImportLedger(*asked).Find(postazione_, kOrigineInfrarossi, nome_, kStatoDaCancellare)) {
      if (entry.impronta == fingerprint &&
          entry.righe == static_cast<int64_t>(replies_.size())) {
        return true;
      }
    }
  } catch (...) {
    // Not reachable to ask: the reader keeps its records.
  }
  return false;
}

void InfraredRecordImport::Erased() noexcept {
  if (ledgerMissing_ || !database_ || postazione_.empty()) return;
  try {
    // On a session of its own: the download's may have lost its connection
    // at a commit that the server made all the same.
    std::unique_ptr<Database> database = database_->Reopen();
    ImportLedger ledger(*database);
    const std::string now = LedgerTime(platform_.LocalNow());
    Transaction transaction(*database);
    for (const LedgerEntry& entry :
         ledger.Find(postazione_, kOrigineInfrarossi, nome_, kStatoDaCancellare)) {
      ledger.SetState(entry.id, kStatoCancellato, now);
    }
    transaction.Commit();
  } catch (...) {
    // Left "da cancellare": the next download compares its replies.
  }
}

uint64_t InfraredRecordImport::RowsRefused() const {
  return database_ ? database_->RowsRefused() : 0;
}

}  // namespace viruzedi
