// The listing of the command line's summary: the component's two tables and
// its import ledger as aligned columns, at most kMostRowsShown rows each.
#include <algorithm>
#include <sstream>
#include <vector>

#include "database/Database.h"
#include "base/Errors.h"
#include "database/Engine.h"
#include "database/LedgerTable.h"

namespace viruzedi {

const TableSchema* StartListing(const std::string& name, TableRows& listed,
                                const std::function<const TableSchema&()>& lookup) {
  const TableSchema* table = nullptr;
  try {
    table = &lookup();
  } catch (const AutomationError& error) {
    if (error.number != kDbTableNotFound) throw;
    listed.name = name;
    listed.missing = true;
    return nullptr;
  }
  listed.name = table->name;
  for (const ColumnSchema& column : table->columns) listed.columns.push_back(column.name);
  return table;
}
namespace {

constexpr size_t kMostRowsShown = 50;
// The import ledger after the two tables: what each download stored.
const std::vector<std::string> kTablesShown = {"Viruzedi", "Viruzedi_RimesseOF", kLedgerTable};

// Width on a terminal, counting each UTF-8 sequence as one character.
size_t Width(const std::string& text) {
  size_t width = 0;
  for (char c : text) width += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return width;
}

void AppendRow(std::ostringstream& out, const std::vector<std::string>& cells,
               const std::vector<size_t>& widths) {
  std::string line = " ";
  for (size_t i = 0; i < cells.size(); ++i) {
    line += (i == 0 ? " " : " | ") + cells[i];
    if (i + 1 < cells.size()) line.append(widths[i] - Width(cells[i]), ' ');
  }
  line.erase(line.find_last_not_of(' ') + 1);
  out << line << "\n";
}

void DumpTable(std::ostringstream& out, const TableRows& table) {
  if (table.missing) {
    out << table.name << ": table missing\n";
    return;
  }
  out << table.name << ": " << table.count << (table.count == 1 ? " row" : " rows") << "\n";
  std::vector<std::vector<std::string>> lines(1, table.columns);
  for (std::vector<std::string> cells : table.rows) {
    // One row per line: line ends and tabs inside a value would break it.
    for (std::string& cell : cells) {
      for (char& c : cell) {
        if (static_cast<unsigned char>(c) < 0x20) c = ' ';
      }
    }
    lines.push_back(std::move(cells));
  }
  std::vector<size_t> widths(lines[0].size(), 0);
  for (const auto& cells : lines) {
    for (size_t i = 0; i < cells.size() && i < widths.size(); ++i) {
      widths[i] = std::max(widths[i], Width(cells[i]));
    }
  }
  for (const auto& cells : lines) AppendRow(out, cells, widths);
  if (table.count > static_cast<int64_t>(kMostRowsShown)) {
    out << "  ... and " << table.count - static_cast<int64_t>(kMostRowsShown) << " more\n";
  }
}

}  // namespace

std::string DumpTables(const std::string& name, const DatabaseSettings& settings) {
  ChosenEngine chosen = EngineFor(name);
  std::vector<TableRows> tables =
      chosen.engine.ListRows(chosen.value, kTablesShown, kMostRowsShown, settings.busyTimeout);
  std::ostringstream out;
  for (const TableRows& table : tables) DumpTable(out, table);
  return out.str();
}

}  // namespace viruzedi
