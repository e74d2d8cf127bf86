#include "infrared/InfraredRecord.h"

#include <algorithm>

#include "base/AutomationError.h"
#include "base/Conversions.h"
#include "database/Database.h"
#include "component/Messages.h"
#include "infrared/InfraredTexts.h"
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
                                           DatabaseSettings& settings)
    : platform_(platform), dbPath_(std::move(dbPath)), settings_(settings) {}

InfraredRecordImport::~InfraredRecordImport() = default;

void InfraredRecordImport::CheckDatabase() {
  database_ = DBEngine::Instance().OpenDatabase(dbPath_, settings_);
  database_->CheckColumns(kTabella, {"Codart", "IdLotto", "Quantità", "Data", "Rep"});
}

void InfraredRecordImport::Import(const std::string& reply) {
  // Opened before the reply is examined: a database gone since the check
  // fails at the next reply, bad code or not.
  std::unique_ptr<Database> opened = DBEngine::Instance().OpenDatabase(dbPath_, settings_);
  std::optional<InfraredRecord> record = ReadInfraredRecord(reply);
  if (!record) {
    platform_.MessageBox(kAvvisoCodiceErrato, kCritical, "");
    rejected_.push_back(reply);
    return;
  }
  rows_.push_back(InfraredRecordRow(*record));
}

void InfraredRecordImport::Store() {
  // The rejected replies first: should the rows then fail, a relaunch
  // appends them once more, which costs a repeated line of a text file
  // rather than a row stored twice.
  if (!rejected_.empty()) {
    std::string lines;
    for (const std::string& reply : rejected_) {
      // The padding of the reply buffer is no part of the record.
      std::string_view text = reply;
      text.remove_suffix(text.size() - (text.find_last_not_of(' ') + 1));
      lines += Utf8ToWindows1252(text) + "\r\n";
    }
    FileSystem& files = platform_.Files();
    std::string folder = platform_.DownloadFolder();
    if (!files.FolderExists(folder)) files.CreateFolder(folder);
    files.AppendToFile(JoinPath(folder, kFileScartati), lines);
  }
  if (!database_) CheckDatabase();
  Transaction transaction(*database_);
  for (const Row& row : rows_) database_->InsertRow(row);
  transaction.Commit();
  database_->MakeDurable();
}

uint64_t InfraredRecordImport::RowsRefused() const {
  return database_ ? database_->RowsRefused() : 0;
}

}  // namespace viruzedi
