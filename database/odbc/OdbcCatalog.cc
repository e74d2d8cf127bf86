// The tables and their columns, read through ODBC's catalog functions.
#include "base/Errors.h"
#include "database/odbc/OdbcConnection.h"
#include "database/odbc/OdbcText.h"

namespace viruzedi {
namespace {

// The column kinds of the driver's SQL data types.
void SetKind(ColumnSchema& column, SQLSMALLINT type, SQLLEN size, bool sqlite) {
  switch (type) {
    case SQL_TINYINT:
    case SQL_SMALLINT:
    case SQL_INTEGER:
    case SQL_BIGINT:
      column.kind = ColumnKind::Integer;
      // SQLite keeps any 64-bit integer whatever the declared type.
      if (sqlite) break;
      if (type == SQL_TINYINT) {
        // Signed on some systems, unsigned on others: the driver refuses the rest.
        column.minimum = -128;
        column.maximum = 255;
      } else if (type == SQL_SMALLINT) {
        column.minimum = -32768;
        column.maximum = 32767;
      } else if (type == SQL_INTEGER) {
        column.minimum = INT32_MIN;
        column.maximum = INT32_MAX;
      }
      break;
    case SQL_NUMERIC:
    case SQL_DECIMAL:
    case SQL_FLOAT:
    case SQL_REAL:
    case SQL_DOUBLE:
      column.kind = ColumnKind::Number;
      break;
    case SQL_TYPE_DATE:
    case SQL_TYPE_TIMESTAMP:
    case SQL_DATE:
    case SQL_TIMESTAMP:
      column.kind = ColumnKind::Date;
      break;
    case SQL_CHAR:
    case SQL_VARCHAR:
    case SQL_WCHAR:
    case SQL_WVARCHAR:
      column.kind = ColumnKind::Text;
      // SQLite takes any length whatever the declared one.
      if (!sqlite && size > 0) column.maxLength = static_cast<size_t>(size);
      break;
    case SQL_LONGVARCHAR:
    case SQL_WLONGVARCHAR:
      column.kind = ColumnKind::Text;
      break;
    default:
      column.kind = ColumnKind::Any;
      column.onlyNull = true;
  }
}

// What tells a table changed: its columns' names and types, in order.
std::string VersionOf(const TableSchema& schema) {
  std::string version;
  for (const ColumnSchema& column : schema.columns) {
    version +=
        column.name + '\t' + column.declaredType + '\t' + std::to_string(column.engineType) + '\n';
  }
  return version;
}

}  // namespace

std::vector<CatalogTable> OdbcConnection::Tables() {
  OdbcStatement statement = NewStatement();
  SQLRETURN result;
  if (wide_) {
    std::u16string types = u"TABLE,VIEW";
    result = SQLTablesW(statement.get(), nullptr, 0, nullptr, 0, nullptr, 0, Wide(types), SQL_NTS);
  } else {
    std::string types = "TABLE,VIEW";
    result =
        SQLTablesA(statement.get(), nullptr, 0, nullptr, 0, nullptr, 0, Narrow(types), SQL_NTS);
  }
  Check(result, SQL_HANDLE_STMT, statement.get());
  // All in one place: an exact name anywhere comes first (the first schema
  // the catalog lists), else the only one in any case.
  std::vector<CatalogTable> tables;
  while (true) {
    result = SQLFetch(statement.get());
    if (result == SQL_NO_DATA) break;
    Check(result, SQL_HANDLE_STMT, statement.get());
    CatalogTable& table = tables.emplace_back();
    Text(statement.get(), 1, table.catalog);
    Text(statement.get(), 2, table.schema);
    Text(statement.get(), 3, table.name);
    table.sqlName =
        (schemasInStatements_ && !table.schema.empty() ? Quote(table.schema) + "." : "") +
        Quote(table.name);
  }
  return tables;
}

void OdbcConnection::ReadColumns(const CatalogTable& table, TableSchema& schema) {
  schema.name = table.name;
  schema.columns.clear();
  OdbcStatement statement = NewStatement();
  SQLRETURN result;
  // The name is a search pattern in which '_' stands for any character:
  // the rows of other tables that it matches are left out below.
  if (wide_) {
    std::u16string catalog = Utf16OfUtf8(table.catalog);
    std::u16string schemaName = Utf16OfUtf8(table.schema);
    std::u16string name = Utf16OfUtf8(table.name);
    result = SQLColumnsW(statement.get(), catalog.empty() ? nullptr : Wide(catalog), SQL_NTS,
                         schemaName.empty() ? nullptr : Wide(schemaName), SQL_NTS, Wide(name),
                         SQL_NTS, nullptr, 0);
  } else {
    std::string catalog = table.catalog;
    std::string schemaName = table.schema;
    std::string name = table.name;
    result = SQLColumnsA(statement.get(), catalog.empty() ? nullptr : Narrow(catalog), SQL_NTS,
                         schemaName.empty() ? nullptr : Narrow(schemaName), SQL_NTS, Narrow(name),
                         SQL_NTS, nullptr, 0);
  }
  Check(result, SQL_HANDLE_STMT, statement.get());
  while (true) {
    result = SQLFetch(statement.get());
    if (result == SQL_NO_DATA) break;
    Check(result, SQL_HANDLE_STMT, statement.get());
    std::string tableName;
    Text(statement.get(), 3, tableName);
    if (tableName != table.name) continue;
    ColumnSchema column;
    Text(statement.get(), 4, column.name);
    SQLSMALLINT type = 0;
    SQLLEN indicator = 0;
    Check(SQLGetData(statement.get(), 5, SQL_C_SSHORT, &type, 0, &indicator), SQL_HANDLE_STMT,
          statement.get());
    Text(statement.get(), 6, column.declaredType);
    SQLINTEGER size = 0;
    if (!SQL_SUCCEEDED(SQLGetData(statement.get(), 7, SQL_C_SLONG, &size, 0, &indicator)) ||
        indicator == SQL_NULL_DATA) {
      size = 0;
    }
    SetKind(column, type, size, sqlite_);
    column.engineType = type;
    // The drivers cut a text short at its first NUL without a word (SQLite's
    // and PostgreSQL's alike): one is refused rather than stored cut.
    column.textWithoutNul = true;
    schema.columns.push_back(std::move(column));
  }
}

void OdbcConnection::ReadTable(KnownTable& table) {
  ReadColumns(table.where, table.schema);
  table.version = VersionOf(table.schema);
}

std::vector<std::string> OdbcConnection::TableVersions(
    const std::vector<const KnownTable*>& tables) {
  std::vector<std::string> versions;
  for (const KnownTable* table : tables) {
    TableSchema now;
    ReadColumns(table->where, now);
    versions.push_back(VersionOf(now));
  }
  return versions;
}

}  // namespace viruzedi
