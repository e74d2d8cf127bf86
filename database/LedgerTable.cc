#include "database/LedgerTable.h"

namespace viruzedi {
namespace {

// After Id, the engine's key, the columns as the component writes them.
struct Column {
  const char* name;
  bool integer;
};
constexpr Column kColumns[] = {{"Postazione", false}, {"Origine", false}, {"Nome", false},
                               {"Impronta", false},   {"Righe", true},    {"Stato", false},
                               {"Data", false}};

}  // namespace

std::string LedgerTableSql(const LedgerTypes& types) {
  std::string sql = std::string("CREATE TABLE ") + (types.indexIfMissing ? "IF NOT EXISTS " : "") +
                    kLedgerTable + " (Id " + types.key;
  for (const Column& column : kColumns) {
    sql += std::string(", ") + column.name + " " + (column.integer ? types.integer : types.text);
  }
  return sql + ")";
}

std::string LedgerIndexSql() {
  return std::string("CREATE INDEX IF NOT EXISTS Viruzedi_Importazioni_Nome ON ") + kLedgerTable +
         " (Nome)";
}

}  // namespace viruzedi
