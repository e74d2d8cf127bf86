#include "database/TargetTables.h"

namespace viruzedi {

const std::vector<TableDescription>& TargetTables() {
  using T = ColumnType;
  static const std::vector<TableDescription> tables{
      {"Viruzedi",
       {{"Codart", T::Text},
        {"IdLotto", T::Integer},
        {"Id SottoOrd", T::Integer},
        {"Quantità", T::Real},
        {"Data", T::Date},
        {"Rep", T::Integer},
        {"NColli", T::Text},
        {"Lotto_Codice", T::Text},
        {"Lotto_Scadenza", T::Date},
        {"SSCC", T::Text}}},
      {"Viruzedi_RimesseOF",
       {{"IdUt", T::SmallInteger},
        {"IdSottoORd", T::Integer},
        {"Qtà", T::Real},
        {"NDoc", T::Text},
        {"DataDoc", T::Date}}},
  };
  return tables;
}

const TableDescription& LedgerDescription() {
  using T = ColumnType;
  static const TableDescription ledger{kLedgerTable,
                                       {{"Id", T::Key},
                                        {"Postazione", T::Text},
                                        {"Origine", T::Text},
                                        {"Nome", T::Text},
                                        {"Impronta", T::Text},
                                        {"Righe", T::Integer},
                                        {"Stato", T::Text},
                                        {"Data", T::Text}}};
  return ledger;
}

std::string PlainName(const std::string& name) { return name; }

namespace {

const char* TypeWord(ColumnType type, const SqlTypes& types) {
  switch (type) {
    case ColumnType::Text:
      return types.text;
    case ColumnType::Integer:
      return types.integer;
    case ColumnType::SmallInteger:
      return types.smallInteger;
    case ColumnType::Real:
      return types.real;
    case ColumnType::Date:
      return types.date;
    case ColumnType::Key:
      return types.key;
  }
  return types.text;
}

}  // namespace

std::string CreateTableSql(const TableDescription& table, const SqlTypes& types,
                           const NameWriter& writeName, bool ifMissing) {
  std::string sql = std::string("CREATE TABLE ") +
                    (ifMissing && types.ifNotExists ? "IF NOT EXISTS " : "") +
                    writeName(table.name) + " (";
  for (size_t i = 0; i < table.columns.size(); ++i) {
    sql += (i == 0 ? "" : ", ") + writeName(table.columns[i].name) + " " +
           TypeWord(table.columns[i].type, types);
  }
  return sql + ")";
}

std::string LedgerIndexSql() {
  return std::string("CREATE INDEX IF NOT EXISTS Viruzedi_Importazioni_Nome ON ") + kLedgerTable +
         " (Nome)";
}

}  // namespace viruzedi
