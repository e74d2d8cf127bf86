#include "platform/FileSystem.h"
#include "component/AutomationError.h"
namespace viruzedi {
std::unique_ptr<FileSystem> MakeLocalFileSystem() { RaiseError(5); }
}  // namespace viruzedi
