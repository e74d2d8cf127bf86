#include "readerprog/StagedRows.h"

#include "base/Errors.h"
#include "operation/ErrorReport.h"
#include "database/DatabaseMessages.h"

namespace viruzedi {

void StagedRows::AddNew() {
  newRow_.clear();
  // The rows of a file have the same fields: room for them at once.
  newRow_.reserve(fieldsPerRow_);
  started_ = true;
}

void StagedRows::SetCollect(const std::string& field, const Variant& value) {
  if (!started_) RaiseDatabaseError(kDbUpdateWithoutAddNew);
  newRow_.emplace_back(field, value);
}

void StagedRows::Update(int, bool) {
  if (!started_) RaiseDatabaseError(kDbUpdateWithoutAddNew);
  fieldsPerRow_ = newRow_.size();
  rows_.push_back(Row{lineDetail_, std::move(newRow_)});
  newRow_.clear();
  started_ = false;
}

void StagedRows::Put(Recordset& records, const Row& row) const {
  records.AddNew();
  for (const auto& [field, value] : row.fields) records.SetCollect(field, value);
}

void StagedRows::Check(Recordset& records) const {
  for (const Row& row : rows_) {
    try {
      Put(records, row);
    } catch (AutomationError& failure) {
      BlameLine(failure, row.lineDetail);
      throw;
    }
  }
}

void StagedRows::Write(Recordset& records) const {
  for (const Row& row : rows_) {
    try {
      Put(records, row);
      records.Update();
    } catch (AutomationError& failure) {
      BlameLine(failure, row.lineDetail);
      throw;
    }
  }
}

}  // namespace viruzedi
