// One connection to a database as the engine-neutral layer holds it: the
// engine's connection under it, the tables found by name, the open
// transaction and the writing of rows in batches with their redo. Every
// Database this thread opens on the same database shares one
// (ConnectionReuse.h), and so shares its transaction.
//
// The redo. A constraint that refuses a row drops that row without an
// error. Where a refusal ends the whole transaction (a server's), the rows
// are first sent in batches with no savepoint; when a batch fails so, the
// transaction is begun anew, every source of rows written in it is read
// again from its first row (RowSource), and each row goes under a savepoint
// of its own, so that a refused one is rolled back alone; the rest of the
// transaction's rows go so too. A row that was stored before the restart
// and is refused on the redo was taken by another session meanwhile: the
// transaction fails with 3045 and the file waits, rather than count it
// twice. What the redo cannot read again (a single row, a bookkeeping
// statement) puts the rest of the transaction's rows under savepoints at
// once, so that no restart can ever lose it.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "database/Engine.h"
#include "database/RowSource.h"

namespace viruzedi {

// Told of each row written: stored, or refused by a constraint.
class RowCounts {
 public:
  virtual ~RowCounts() = default;
  virtual void Stored() = 0;
  virtual void Refused() = 0;
};

// The table that `name` names among `tables` (in the order the engine
// lists them): in the first place (CatalogTable::place) that has a table of
// that name without regard to case, the one named exactly so, else the only
// one named so without regard to case. Null when there is none, or when two
// or more differ from `name` and from each other only in case: none of them
// is then the one meant.
const CatalogTable* ChooseTable(const std::vector<CatalogTable>& tables, const std::string& name);

// Not thread-safe: the thread that opened it.
class Connection {
 public:
  explicit Connection(std::unique_ptr<EngineConnection> engine);
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  EngineConnection& engine() { return *engine_; }
  bool InTransaction() const { return open_; }

  // The table named so (ChooseTable), read once and kept: 3078 when there
  // is none. It stays valid for whoever holds it, even once forgotten.
  std::shared_ptr<const KnownTable> Table(const std::string& name);
  // Table without the error: null when there is none.
  std::shared_ptr<const KnownTable> FindTable(const std::string& name);
  // Forgets the tables read so far when another program changed one of
  // them since, so that a new session sees what one on a new connection
  // would. Outside a transaction only: inside one, what it wrote holds the
  // tables against such changes.
  void ForgetChangedTables();

  // Writes one row of `table` (its values within their columns' limits,
  // checked here first: 3163, 3349, 3464): committed on its own outside a
  // transaction. True when stored, false when a constraint refused it.
  bool Insert(const KnownTable& table, const std::vector<size_t>& columns,
              const std::vector<BoundValue>& values);
  // Writes every row of `rows` in batches, as Insert would each one, and
  // tells `counts` of each. Inside a transaction `rows` must stay readable
  // until it ends: a later refusal may have it read again. A row's own
  // fault (Database::InsertRow lists them) is given to rows.Blame first;
  // nothing is then stored outside what a transaction rolls back.
  void InsertRows(RowSource& rows, RowCounts& counts);
  // Reads every row of `rows` and checks it as InsertRows would, without
  // the columns' limits, writing nothing; the number of rows. The whole
  // source is read before a row's fault is thrown: a fault of the reading
  // comes first, then the first row at fault (given to rows.Blame).
  uint64_t CheckRows(RowSource& rows);

  // The transaction (Database::BeginTransaction): 3000 when one is open.
  // A Commit that fails leaves none open; Rollback never throws.
  void Begin();
  void Commit();
  void Rollback() noexcept;
  // Database::Run.
  std::vector<std::vector<std::string>> Run(const std::string& sql,
                                            const std::vector<BoundValue>& parameters);
  // Database::CheckWritable.
  void CheckWritable(const std::string& table, const std::vector<std::string>& columns);
  // Makes the ledger's table when it is missing, in a transaction of its
  // own: none may be open. Several programs doing it at once all succeed.
  // 3051 when the user's rights refuse it, and then nothing is made.
  void CreateLedgerTable();
  // Makes the two tables of a target database and the ledger in one
  // transaction, each name written by `writeName` in `types`' words: 58
  // when either of the two is there already, and then nothing is made.
  void CreateTargetTables(const SqlTypes& types, const NameWriter& writeName);

 private:
  struct Writing;
  // Reads the next row and binds it (Bind); false once the source is read
  // out.
  bool ReadInto(RowSource& rows, Writing& writing, bool limits);
  // Binds the row read last to its table, within the columns' limits when
  // `limits`; a fault is given to rows.Blame before it is thrown.
  void Bind(RowSource& rows, Writing& writing, bool limits);
  // Sends the batch and counts its rows; true when it failed whole and the
  // redo wrote every row read so far, the last one included.
  bool Flush(Writing& writing, RowCounts& counts);
  bool SendUnderSavepoint(const RowBatch& batch);
  // Restarts the transaction after `writing`'s batch failed whole and
  // writes again, row by row, every row of the transaction read so far.
  void Redo(Writing& writing, RowCounts& counts);
  void RememberVersions();
  bool OnlySavepoints() const;

  std::unique_ptr<EngineConnection> engine_;
  std::map<std::string, std::shared_ptr<KnownTable>> byName_;  // as asked
  std::vector<std::shared_ptr<KnownTable>> known_;             // each table once

  // The open transaction.
  bool open_ = false;
  bool rowByRow_ = false;            // each row under a savepoint of its own
  std::vector<RowSource*> sources_;  // read again by a redo, in order
  uint64_t counted_ = 0;             // rows of sources_ whose outcome was counted
};

}  // namespace viruzedi
