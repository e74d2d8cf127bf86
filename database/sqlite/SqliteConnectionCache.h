// The connections a new open of the same file may share.
//
// An import that opens its database for every record (the infrared
// download does, by its contract) would otherwise pay for a new connection,
// its schema reads and its prepared INSERT each time, several times the cost
// of the row itself. A new open shares a connection that the same thread
// still holds open on the same file, after checking that it still serves
// that path (SqliteConnection::StillServes). The cache never keeps a
// connection alive: when the last Database on a file is closed or released,
// the file is closed as before.
#pragma once

#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace viruzedi {

class SqliteConnection;

// Thread-safe: its entries are kept under a lock.
class SqliteConnectionCache {
 public:
  // A read-write connection opened by this thread for `path` with
  // `busyTimeout` that still serves it; null when there is none. Throws
  // what a new open would for a path that no longer names a database, or a
  // file locked by another program (SqliteConnection::StillServes).
  std::shared_ptr<SqliteConnection> Find(const std::string& path,
                                         std::chrono::milliseconds busyTimeout);
  // Offers a read-write connection just opened for `path` to later opens.
  void Remember(const std::string& path, std::chrono::milliseconds busyTimeout,
                const std::shared_ptr<SqliteConnection>& connection);

 private:
  struct Entry {
    std::string absolutePath;
    std::thread::id thread;
    std::chrono::milliseconds busyTimeout;
    std::weak_ptr<SqliteConnection> connection;
  };

  std::mutex mutex_;
  std::vector<Entry> entries_;
};

}  // namespace viruzedi
