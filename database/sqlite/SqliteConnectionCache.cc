#include "database/sqlite/SqliteConnectionCache.h"

#include <algorithm>
#include <filesystem>

#include "database/sqlite/SqliteConnection.h"

namespace viruzedi {
namespace {

// The same text may name another file once the working folder changes, so
// entries are kept by absolute name; "" when there is none to be had.
std::string AbsolutePath(const std::string& path) {
  if (path.empty()) return {};
  std::error_code error;
  std::filesystem::path absolute = std::filesystem::absolute(path, error);
  return error ? std::string() : absolute.lexically_normal().string();
}

}  // namespace

std::shared_ptr<SqliteConnection> SqliteConnectionCache::Find(
    const std::string& path, std::chrono::milliseconds busyTimeout) {
  std::string absolutePath = AbsolutePath(path);
  if (absolutePath.empty()) return nullptr;
  std::shared_ptr<SqliteConnection> candidate;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    std::erase_if(entries_, [](const Entry& entry) { return entry.connection.expired(); });
    for (const Entry& entry : entries_) {
      if (entry.absolutePath == absolutePath && entry.thread == std::this_thread::get_id() &&
          entry.busyTimeout == busyTimeout) {
        candidate = entry.connection.lock();
        if (candidate) break;
      }
    }
  }
  // Only this thread uses the candidate, so it is checked outside the lock.
  if (candidate && candidate->StillServes(path)) return candidate;
  return nullptr;
}

void SqliteConnectionCache::Remember(const std::string& path,
                                     std::chrono::milliseconds busyTimeout,
                                     const std::shared_ptr<SqliteConnection>& connection) {
  std::string absolutePath = AbsolutePath(path);
  if (absolutePath.empty()) return;
  std::lock_guard<std::mutex> lock(mutex_);
  std::erase_if(entries_, [&](const Entry& entry) {
    // A connection that no longer served this path makes way for the new one.
    return entry.connection.expired() ||
           (entry.absolutePath == absolutePath && entry.thread == std::this_thread::get_id());
  });
  entries_.push_back({absolutePath, std::this_thread::get_id(), busyTimeout, connection});
}

}  // namespace viruzedi
