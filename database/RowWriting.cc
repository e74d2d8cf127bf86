// The writing of rows: one at a time, or from a source in batches, with the
// redo of a transaction that a refused row ended (Connection.h).
#include <optional>

#include "base/Errors.h"
#include "database/Connection.h"
#include "database/Database.h"
#include "database/DatabaseMessages.h"

namespace viruzedi {
namespace {

// Every engine's SQL has these words for a savepoint.
constexpr char kSavepoint[] = "SAVEPOINT viruzedi_row";
constexpr char kReleaseSavepoint[] = "RELEASE SAVEPOINT viruzedi_row";
constexpr char kRollbackToSavepoint[] = "ROLLBACK TO SAVEPOINT viruzedi_row";

RowBatch OneRow(const RowBatch& batch, size_t row) {
  RowBatch one{batch.table, batch.columns, {}, 1};
  one.values.assign(batch.Row(row), batch.Row(row) + batch.columns.size());
  return one;
}

}  // namespace

// One reading of a source: the row read last, bound to its table, and the
// batch it goes into.
struct Connection::Writing {
  Row row;
  std::shared_ptr<const KnownTable> table;  // of the row read last
  std::string tableName;                    // as that row named it
  std::vector<std::string> names;           // its columns, as it named them
  BoundRow bound;
  uint64_t read = 0;  // rows read in this reading
  RowBatch batch;
};

bool Connection::ReadInto(RowSource& rows, Writing& writing, bool limits) {
  if (!rows.Next(writing.row)) return false;
  ++writing.read;
  Bind(rows, writing, limits);
  return true;
}

void Connection::Bind(RowSource& rows, Writing& writing, bool limits) {
  try {
    // The rows of a file name one table and the same columns: they are
    // looked up once.
    const Row& row = writing.row;
    bool same = writing.table && row.table == writing.tableName;
    if (!same) {
      writing.table = Table(row.table);
      writing.tableName = row.table;
    }
    const TableSchema& schema = writing.table->schema;
    same = same && row.columns.size() == writing.names.size();
    for (size_t i = 0; same && i < row.columns.size(); ++i) {
      same = row.columns[i].column == writing.names[i];
    }
    if (!same) {
      writing.names.clear();
      writing.bound.columns = BindColumns(schema, row);
      for (const RowColumn& column : row.columns) writing.names.push_back(column.column);
    }
    BindValues(schema, row, writing.bound);
    if (limits) {
      for (size_t i = 0; i < writing.bound.columns.size(); ++i) {
        CheckColumnLimits(schema.columns[writing.bound.columns[i]], writing.bound.values[i]);
      }
    }
  } catch (AutomationError& failure) {
    rows.Blame(failure);
    throw;
  }
}

bool Connection::OnlySavepoints() const { return open_ && rowByRow_; }

bool Connection::SendUnderSavepoint(const RowBatch& batch) {
  engine_->Execute(kSavepoint);
  const BatchOutcome outcome = engine_->Send(batch);
  const bool stored = !outcome.failedWhole && outcome.refused.empty();
  engine_->Execute(stored ? kReleaseSavepoint : kRollbackToSavepoint);
  return stored;
}

bool Connection::Insert(const KnownTable& table, const std::vector<size_t>& columns,
                        const std::vector<BoundValue>& values) {
  for (size_t i = 0; i < columns.size(); ++i) {
    CheckColumnLimits(table.schema.columns[columns[i]], values[i]);
  }
  const RowBatch batch{&table, columns, values, 1};
  if (open_ && engine_->RefusalEndsTransaction()) {
    // A redo could not read this row again: it and every row after it go
    // under savepoints, and no restart is ever needed.
    rowByRow_ = true;
    return SendUnderSavepoint(batch);
  }
  const BatchOutcome outcome = engine_->Send(batch);
  return !outcome.failedWhole && outcome.refused.empty();
}

void Connection::InsertRows(RowSource& rows, RowCounts& counts) {
  if (open_) sources_.push_back(&rows);
  Writing writing;
  rows.Rewind();
  while (ReadInto(rows, writing, true)) {
    RowBatch& batch = writing.batch;
    if (batch.rows > 0 &&
        (batch.table != writing.table.get() || batch.columns != writing.bound.columns)) {
      // A redo has read this row again and written it already.
      if (Flush(writing, counts)) continue;
    }
    if (batch.rows == 0) {
      batch.table = writing.table.get();
      batch.columns = writing.bound.columns;
    }
    for (BoundValue& value : writing.bound.values) batch.values.push_back(std::move(value));
    ++batch.rows;
    if (batch.rows >= engine_->BatchRows() || OnlySavepoints()) Flush(writing, counts);
  }
  Flush(writing, counts);
}

bool Connection::Flush(Writing& writing, RowCounts& counts) {
  RowBatch& batch = writing.batch;
  if (batch.rows == 0) return false;
  bool redone = false;
  if (OnlySavepoints()) {
    for (size_t row = 0; row < batch.rows; ++row) {
      if (SendUnderSavepoint(batch.rows == 1 ? batch : OneRow(batch, row))) {
        counts.Stored();
      } else {
        counts.Refused();
      }
    }
  } else {
    const BatchOutcome outcome = engine_->Send(batch);
    if (outcome.failedWhole) {
      Redo(writing, counts);
      redone = true;
    } else {
      size_t next = 0;
      for (size_t row = 0; row < batch.rows; ++row) {
        if (next < outcome.refused.size() && outcome.refused[next] == row) {
          ++next;
          counts.Refused();
        } else {
          counts.Stored();
        }
      }
      if (open_) counted_ += batch.rows;
    }
  }
  batch.rows = 0;
  batch.values.clear();
  return redone;
}

void Connection::Redo(Writing& writing, RowCounts& counts) {
  engine_->RestartTransaction();
  rowByRow_ = true;
  uint64_t ordinal = 0;
  for (size_t source = 0; source < sources_.size(); ++source) {
    RowSource& rows = *sources_[source];
    // The source being written is read up to where its writing stopped, so
    // that the writing goes on from there.
    const bool current = source + 1 == sources_.size();
    Writing again;
    rows.Rewind();
    while ((!current || again.read < writing.read) && ReadInto(rows, again, true)) {
      const RowBatch one{again.table.get(), again.bound.columns, std::move(again.bound.values), 1};
      const bool stored = SendUnderSavepoint(one);
      if (ordinal++ < counted_) {
        // Stored and counted once already; refused now, it was taken by
        // another session meanwhile, as a conflict with it would be: the
        // file waits rather than count it twice.
        if (!stored) RaiseDatabaseError(kDbLocked, engine_->Shown());
      } else if (stored) {
        counts.Stored();
      } else {
        counts.Refused();
      }
    }
  }
  counted_ = ordinal;
}

uint64_t Connection::CheckRows(RowSource& rows) {
  Writing writing;
  std::optional<AutomationError> fault;
  rows.Rewind();
  // A fault of the reading passes at once; a row's own waits until the
  // rest is read, since the reading's faults come first.
  while (rows.Next(writing.row)) {
    ++writing.read;
    if (fault) continue;
    try {
      Bind(rows, writing, false);
    } catch (const AutomationError& failure) {
      fault = failure;
    }
  }
  if (fault) throw *fault;
  return writing.read;
}

}  // namespace viruzedi
