// Self-registration: the class, its two ProgIDs and the type library.
//
// The 32-bit and the 64-bit server are registered side by side on a 64-bit
// system. The class and interface keys are the system's per-view keys (each
// server writes its own), while the type library and ProgID keys are one
// for both views. So unregistering removes the class and interface keys of
// its own view always, but the shared keys only when the other view's
// server is gone too; otherwise it removes its own platform entry of the
// type library alone, and the other server goes on working.
#include <olectl.h>

#include <string>

#include "automation/Server.h"

namespace viruzedi::automation {

namespace {

#ifdef _WIN64
constexpr SYSKIND kSystemKind = SYS_WIN64;
constexpr wchar_t kTypeLibraryPlatform[] = L"win64";
#else
constexpr SYSKIND kSystemKind = SYS_WIN32;
constexpr wchar_t kTypeLibraryPlatform[] = L"win32";
#endif

std::wstring ClassKey() { return L"CLSID\\" + Wide(kClassId); }
std::wstring InterfaceKey() { return L"Interface\\" + Wide(kInterfaceId); }
std::wstring TypeLibraryKey() { return L"TypeLib\\" + Wide(kTypeLibraryId); }
std::wstring ProgId() { return Wide(kProgId); }
std::wstring VersionedProgId() { return ProgId() + L"." + std::to_wstring(kTypeLibraryMajor); }
std::wstring TypeLibraryVersion() {
  return std::to_wstring(kTypeLibraryMajor) + L"." + std::to_wstring(kTypeLibraryMinor);
}

// Sets one string value of HKEY_CLASSES_ROOT\key (null name: the default
// value), creating the key when missing.
bool SetValue(const std::wstring& key, const wchar_t* name, const std::wstring& value) {
  HKEY handle = nullptr;
  if (RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_SET_VALUE, nullptr, &handle, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  LSTATUS status = RegSetValueExW(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                  static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(handle);
  return status == ERROR_SUCCESS;
}

bool CreateKey(const std::wstring& key) {
  HKEY handle = nullptr;
  if (RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_SET_VALUE, nullptr, &handle, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  RegCloseKey(handle);
  return true;
}

void DeleteTree(const std::wstring& key) { RegDeleteTreeW(HKEY_CLASSES_ROOT, key.c_str()); }

// Whether the server of the other view (the 32-bit one for the 64-bit
// server and the other way round) is registered. A 32-bit system has none.
bool OtherViewRegistered() {
#ifdef _WIN64
  REGSAM otherView = KEY_WOW64_32KEY;
#else
  BOOL underWow64 = FALSE;
  if (!IsWow64Process(GetCurrentProcess(), &underWow64) || !underWow64) return false;
  REGSAM otherView = KEY_WOW64_64KEY;
#endif
  HKEY handle = nullptr;
  std::wstring server = ClassKey() + L"\\InprocServer32";
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, server.c_str(), 0, KEY_QUERY_VALUE | otherView, &handle) !=
      ERROR_SUCCESS) {
    return false;
  }
  RegCloseKey(handle);
  return true;
}

HRESULT RegisterClassKeys(const std::wstring& path) {
  std::wstring clsid = Wide(kClassId);
  std::wstring key = ClassKey();
  bool written = SetValue(key, nullptr, ProgId()) &&
                 SetValue(key + L"\\InprocServer32", nullptr, path) &&
                 SetValue(key + L"\\InprocServer32", L"ThreadingModel", L"Apartment") &&
                 SetValue(key + L"\\ProgID", nullptr, VersionedProgId()) &&
                 SetValue(key + L"\\VersionIndependentProgID", nullptr, ProgId()) &&
                 SetValue(key + L"\\TypeLib", nullptr, Wide(kTypeLibraryId)) &&
                 SetValue(key + L"\\Version", nullptr, TypeLibraryVersion()) &&
                 CreateKey(key + L"\\Programmable") &&
                 SetValue(ProgId(), nullptr, Wide(kClassName)) &&
                 SetValue(ProgId() + L"\\CLSID", nullptr, clsid) &&
                 SetValue(ProgId() + L"\\CurVer", nullptr, VersionedProgId()) &&
                 SetValue(VersionedProgId(), nullptr, Wide(kClassName)) &&
                 SetValue(VersionedProgId() + L"\\CLSID", nullptr, clsid);
  return written ? S_OK : SELFREG_E_CLASS;
}

HRESULT RegisterTypeLibrary(const std::wstring& path) {
  ITypeLib* library = nullptr;
  HRESULT result = LoadTypeLibEx(path.c_str(), REGKIND_NONE, &library);
  if (FAILED(result)) return SELFREG_E_TYPELIB;
  result = RegisterTypeLib(library, const_cast<LPOLESTR>(path.c_str()), nullptr);
  library->Release();
  return SUCCEEDED(result) ? S_OK : SELFREG_E_TYPELIB;
}

}  // namespace

}  // namespace viruzedi::automation

using namespace viruzedi::automation;

extern "C" {

STDAPI DllRegisterServer() {
  std::wstring path = ModulePath();
  if (path.empty()) return SELFREG_E_CLASS;
  HRESULT result = RegisterClassKeys(path);
  if (SUCCEEDED(result)) result = RegisterTypeLibrary(path);
  // Half a registration would make CreateObject find a class it cannot make.
  if (FAILED(result)) DllUnregisterServer();
  return result;
}

// Succeeds when nothing was registered as well: what is missing is not an
// error, and a second unregistration changes nothing.
STDAPI DllUnregisterServer() {
  DeleteTree(ClassKey());
  DeleteTree(InterfaceKey());
  if (OtherViewRegistered()) {
    std::wstring version = TypeLibraryKey() + L"\\" + TypeLibraryVersion();
    DeleteTree(version + L"\\0\\" + kTypeLibraryPlatform);
  } else {
    UnRegisterTypeLib(kTypeLibraryGuid, viruzedi::kTypeLibraryMajor, viruzedi::kTypeLibraryMinor,
                      LOCALE_NEUTRAL, kSystemKind);
    DeleteTree(TypeLibraryKey());
    DeleteTree(ProgId());
    DeleteTree(VersionedProgId());
  }
  return S_OK;
}

}  // extern "C"
