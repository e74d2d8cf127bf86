// What the parts of the automation server share: the component's identity
// as the system takes it, the module's own file, the count of what keeps the
// module loaded, and the way a failure reaches a host.
//
// The server is the one place outside platform/ that speaks to the system
// directly: it is the component's Windows face and nothing else builds it.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <cstdint>
#include <string>

#include "automation/Guid.h"
#include "base/Identity.h"

namespace viruzedi::automation {

inline constexpr GUID kTypeLibraryGuid = GuidFrom(kTypeLibraryId);
inline constexpr GUID kClassGuid = GuidFrom(kClassId);
inline constexpr GUID kInterfaceGuid = GuidFrom(kInterfaceId);

// The module of the server itself and its full path.
HMODULE Module();
std::wstring ModulePath();

// Objects and class factories alive, and the host's locks (IClassFactory::
// LockServer): the module may go only when all are none.
void AddModuleReference();
void ReleaseModuleReference();
bool ModuleInUse();

std::wstring Wide(const std::string& utf8);
std::string Utf8(const wchar_t* text, size_t length);

// The HRESULT that carries automation error `number` (0x800A0000 | number),
// after handing the thread an error object with `description` and the
// ProgID as its source, for the host to read.
HRESULT AutomationFailure(int32_t number, const std::string& description);

}  // namespace viruzedi::automation
