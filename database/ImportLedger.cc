#include "database/ImportLedger.h"

#include <cstdio>
#include <exception>

#include "base/Errors.h"
#include "database/Database.h"
#include "database/DatabaseMessages.h"
#include "database/TableSchema.h"
#include "database/TargetTables.h"

namespace viruzedi {
namespace {

constexpr char kSelect[] =
    "SELECT Id, Postazione, Origine, Nome, Impronta, Righe, Stato, Data FROM "
    "Viruzedi_Importazioni WHERE ";
constexpr char kInsert[] =
    "INSERT INTO Viruzedi_Importazioni (Postazione, Origine, Nome, Impronta, Righe, Stato, Data) "
    "VALUES (?, ?, ?, ?, ?, ?, ?)";
constexpr char kSetState[] = "UPDATE Viruzedi_Importazioni SET Stato = ?, Data = ? WHERE Id = ?";
constexpr char kSetFingerprint[] =
    "UPDATE Viruzedi_Importazioni SET Impronta = ?, Data = ? WHERE Id = ?";

int64_t IntegerCell(const std::string& cell) {
  try {
    return std::stoll(cell);
  } catch (const std::exception&) {
    return 0;  // a cell a person emptied or spoiled counts as none
  }
}

}  // namespace

std::string LedgerTime(const LocalDateTime& t) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour,
                t.minute, t.second);
  return text;
}

bool ImportLedger::Available() {
  try {
    database_.Schema(kLedgerTable);
    return true;
  } catch (const AutomationError& failure) {
    if (failure.number != kDbTableNotFound) throw;
  }
  try {
    database_.CreateLedgerTable();
    return true;
  } catch (const AutomationError& failure) {
    if (failure.number == kDbCannotOpen) return false;
    throw;
  }
}

std::vector<LedgerEntry> ImportLedger::Find(const std::string& postazione,
                                            const std::string& origine, const std::string& nome,
                                            const std::string& stato) {
  if (stato.empty()) {
    return Select("Postazione = ? AND Origine = ? AND Nome = ?", {postazione, origine, nome});
  }
  return Select("Postazione = ? AND Origine = ? AND Nome = ? AND Stato = ?",
                {postazione, origine, nome, stato});
}

std::vector<LedgerEntry> ImportLedger::FindFingerprint(const std::string& postazione,
                                                       const std::string& origine,
                                                       const std::string& impronta) {
  return Select("Postazione = ? AND Origine = ? AND Impronta = ?", {postazione, origine, impronta});
}

std::vector<LedgerEntry> ImportLedger::Select(const std::string& where,
                                              const std::vector<std::string>& values) {
  std::vector<BoundValue> parameters(values.begin(), values.end());
  std::vector<LedgerEntry> entries;
  for (const std::vector<std::string>& row :
       database_.Run(kSelect + where + " ORDER BY Id", parameters)) {
    if (row.size() < 8) continue;
    entries.push_back(LedgerEntry{IntegerCell(row[0]), row[1], row[2], row[3], row[4],
                                  IntegerCell(row[5]), row[6], row[7]});
  }
  return entries;
}

void ImportLedger::Add(const LedgerEntry& entry) {
  database_.Run(kInsert, {entry.postazione, entry.origine, entry.nome, entry.impronta, entry.righe,
                          entry.stato, entry.data});
}

void ImportLedger::SetState(int64_t id, const std::string& stato, const std::string& data) {
  database_.Run(kSetState, {stato, data, id});
}

void ImportLedger::SetFingerprint(int64_t id, const std::string& impronta,
                                  const std::string& data) {
  database_.Run(kSetFingerprint, {impronta, data, id});
}

}  // namespace viruzedi
