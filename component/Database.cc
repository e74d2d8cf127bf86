#include "component/Database.h"
#include "component/AutomationError.h"
namespace viruzedi {
DBEngine& DBEngine::Instance() { static DBEngine engine; return engine; }
std::unique_ptr<Database> DBEngine::OpenDatabase(const std::string&) { RaiseError(3024); }
void DBEngine::CreateTargetDatabase(const std::string&) {}
void DBEngine::SetRowObserver(std::function<void(uint64_t)> o) { observer_ = std::move(o); }
void DBEngine::NotifyRowStored() { ++rowsStored_; if (observer_) observer_(rowsStored_); }
std::string DumpTables(const std::string&) { return ""; }
}  // namespace viruzedi
