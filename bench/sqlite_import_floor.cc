// What SQLite can do with a stock-movement file, as the floor figure 1
// measures the import against: the file's lines split into their fields and
// bound to one prepared INSERT, in one transaction, with the engine's
// pragmas. No check, no ledger, no second reading: only the work no import
// of these rows can skip.
//
//   sqlite_import_floor FILE DATABASE
//
// DATABASE is one `viruzedi init-db` made. A line is
// "article$lot;quantity;yyyymmdd;department", the quantity with a decimal
// comma (bench/generate.py).
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void Check(sqlite3* db, int result, const char* what) {
  if (result == SQLITE_OK || result == SQLITE_DONE || result == SQLITE_ROW) return;
  std::fprintf(stderr, "%s: %s\n", what, sqlite3_errmsg(db));
  std::exit(1);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: sqlite_import_floor FILE DATABASE\n");
    return 2;
  }
  std::FILE* file = std::fopen(argv[1], "rb");
  if (file == nullptr) {
    std::perror(argv[1]);
    return 1;
  }
  sqlite3* db = nullptr;
  Check(db, sqlite3_open_v2(argv[2], &db, SQLITE_OPEN_READWRITE, nullptr), argv[2]);
  Check(db, sqlite3_exec(db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr), "pragma");
  Check(db, sqlite3_exec(db, "PRAGMA synchronous=NORMAL", nullptr, nullptr, nullptr), "pragma");
  Check(db, sqlite3_exec(db, "PRAGMA cache_size=-256", nullptr, nullptr, nullptr), "pragma");
  Check(db, sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), "begin");
  sqlite3_stmt* insert = nullptr;
  Check(db,
        sqlite3_prepare_v2(db,
                           "INSERT INTO Viruzedi (Codart,IdLotto,Quantità,Data,Rep) "
                           "VALUES (?,?,?,?,?)",
                           -1, &insert, nullptr),
        "prepare");

  char line[256];
  while (std::fgets(line, sizeof line, file) != nullptr) {
    char* dollar = std::strchr(line, '$');
    char* first = dollar ? std::strchr(dollar, ';') : nullptr;
    char* second = first ? std::strchr(first + 1, ';') : nullptr;
    char* third = second ? std::strchr(second + 1, ';') : nullptr;
    if (third == nullptr || third - second != 9) continue;
    if (char* comma = std::strchr(first + 1, ',')) *comma = '.';
    const char* day = second + 1;
    const char date[] = {day[0], day[1], day[2], day[3], '-', day[4], day[5], '-', day[6], day[7]};
    sqlite3_bind_text(insert, 1, line, static_cast<int>(dollar - line), SQLITE_STATIC);
    sqlite3_bind_int64(insert, 2, std::strtoll(dollar + 1, nullptr, 10));
    sqlite3_bind_double(insert, 3, std::strtod(first + 1, nullptr));
    sqlite3_bind_text(insert, 4, date, sizeof date, SQLITE_TRANSIENT);
    sqlite3_bind_int64(insert, 5, std::strtoll(third + 1, nullptr, 10));
    Check(db, sqlite3_step(insert), "insert");
    sqlite3_reset(insert);
  }
  sqlite3_finalize(insert);
  Check(db, sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), "commit");
  sqlite3_close(db);
  std::fclose(file);
  return 0;
}
