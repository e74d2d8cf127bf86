// The record set of every engine, and what it shares with its Database.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "database/Database.h"
#include "database/Engine.h"

namespace viruzedi {

// What a Database shares with its record sets: the engine's session, closed
// with the Database, and the counts of the rows they stored.
struct DatabaseSession {
  std::unique_ptr<EngineSession> engine;
  std::shared_ptr<DatabaseSettings> settings;
  uint64_t rowsRefused = 0;
  bool inTransaction = false;  // begun through this Database

  // The open session; 3420 once closed.
  EngineSession& Open() const;
  // Inserts one bound row and counts it: stored (told to the settings) or
  // refused by a constraint. The errors of EngineSession::Insert.
  void Insert(const TableSchema& table, const std::vector<size_t>& columns,
              const std::vector<BoundValue>& values);
};

// Not thread-safe, as every Recordset.
class AppendOnlyRecordset : public Recordset {
 public:
  AppendOnlyRecordset(std::shared_ptr<DatabaseSession> session, TableSchema table)
      : session_(std::move(session)), table_(std::move(table)) {}

  void AddNew() override;
  void SetCollect(const std::string& field, const Variant& value) override;
  void Update(int type, bool force) override;
  void Close() override;

 private:
  // 3420 once this record set or its Database is closed.
  void CheckOpen() const;

  std::shared_ptr<DatabaseSession> session_;  // null once closed
  TableSchema table_;
  // The row being added, by column index (ordered, so that rows setting the
  // same fields insert the same column list, which an engine may keep
  // prepared); none outside AddNew..Update.
  std::optional<std::map<size_t, BoundValue>> newRow_;
};

}  // namespace viruzedi
