// The record set of every engine.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>

#include "database/Database.h"
#include "database/DatabaseSession.h"

namespace viruzedi {

// Not thread-safe, as every Recordset.
class AppendOnlyRecordset : public Recordset {
 public:
  AppendOnlyRecordset(std::shared_ptr<DatabaseSession> session,
                      std::shared_ptr<const KnownTable> table)
      : session_(std::move(session)), table_(std::move(table)) {}

  void AddNew() override;
  void SetCollect(const std::string& field, const Variant& value) override;
  void Update(int type, bool force) override;
  void Close() override;

 private:
  // 3420 once this record set or its Database is closed.
  void CheckOpen() const;

  std::shared_ptr<DatabaseSession> session_;  // null once closed
  std::shared_ptr<const KnownTable> table_;
  // The row being added, by column index (ordered, so that rows setting the
  // same fields insert the same column list, which an engine may keep
  // prepared); none outside AddNew..Update.
  std::optional<std::map<size_t, BoundValue>> newRow_;
};

}  // namespace viruzedi
