// The rows of one file, held in memory until every line of it has been read
// and checked, so that the file is stored all or nothing in one short
// transaction (the lock on the database is held for the writes alone).
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "database/Database.h"
#include "viruzedi/Variant.h"

namespace viruzedi {

// An append-only record set that keeps its rows instead of writing them:
// the line functions of the imports fill it as they would fill the
// database's, and it then hands the rows on. Values are kept as given;
// their conversion is the database record set's, in Check and Write.
class StagedRows : public Recordset {
 public:
  // The line of the file that the rows added next come from, for the
  // detail of a failure ("FILE, riga N: LINE").
  void FromLine(std::string detail) { lineDetail_ = std::move(detail); }

  void AddNew() override;
  void SetCollect(const std::string& field, const Variant& value) override;
  // Keeps the new row. 3020 when no row was started.
  void Update(int type = kDbUpdateRegular, bool force = false) override;
  void Close() override {}

  size_t size() const { return rows_.size(); }

  // Sets every value of every row on `records` as it would be written,
  // saving nothing: the errors of its SetCollect (3265, 3421) come out
  // here, before anything is written, with the row's line in `detail`.
  // The last row is left started: use a record set of its own.
  void Check(Recordset& records) const;
  // Adds every row to `records`. Errors of the record set pass, with the
  // row's line in `detail`.
  void Write(Recordset& records) const;

 private:
  struct Row {
    std::string lineDetail;
    std::vector<std::pair<std::string, Variant>> fields;
  };
  void Put(Recordset& records, const Row& row) const;

  std::vector<Row> rows_;
  std::vector<std::pair<std::string, Variant>> newRow_;
  size_t fieldsPerRow_ = 0;  // of the last row kept
  bool started_ = false;
  std::string lineDetail_;
};

}  // namespace viruzedi
