// A Windows client of Viruzedi11600.dll for the tests under Wine.
//
//   viruzedi-automation-client typelib DLL
//       reads the type library out of DLL and compares it with the
//       component's identity (base/Identity.h), its enumerations and the
//       reader program defaults: what a host built against the component
//       is bound to.
//   viruzedi-automation-client calls MISSING_DATABASE
//       creates the registered class and calls it early bound (the vtable
//       of _Viruzedi) and late bound (IDispatch), as hosts of both kinds do.
//   viruzedi-automation-client reentry PORT DATABASE
//       starts Scarica on serial port PORT, where nothing answers, into
//       DATABASE (a database that has table Viruzedi), and from
//       a timer that fires while it waits calls a second operation, as a
//       host's event would: that call is refused with 17.
//
// Prints one line per failed check and exits with the number of failures.
#include <windows.h>
#include <oleauto.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "automation/Guid.h"
#include "automation/Viruzedi11600.h"
#include "base/Identity.h"
#include "viruzedi/Enumerations.h"
#include "viruzedi/ReaderProgramDefaults.h"

namespace {

using viruzedi::automation::GuidFrom;

int failures = 0;

void Check(bool ok, const std::string& what) {
  if (!ok) {
    ++failures;
    std::printf("FAIL %s\n", what.c_str());
  }
}

std::string Narrow(const wchar_t* text) {
  if (!text) return {};
  int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string result(static_cast<size_t>(size > 0 ? size - 1 : 0), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, result.data(), size, nullptr, nullptr);
  return result;
}

std::wstring Wide(const std::string& text) {
  int size = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
  std::wstring result(static_cast<size_t>(size > 0 ? size - 1 : 0), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, result.data(), size);
  return result;
}

std::string Hex(long value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08lx", static_cast<unsigned long>(value));
  return text;
}

std::string NameOf(ITypeInfo* info, MEMBERID member) {
  BSTR name = nullptr;
  if (FAILED(info->GetDocumentation(member, &name, nullptr, nullptr, nullptr))) return "?";
  std::string result = Narrow(name);
  SysFreeString(name);
  return result;
}

std::string HelpOf(ITypeInfo* info, MEMBERID member) {
  BSTR help = nullptr;
  if (FAILED(info->GetDocumentation(member, nullptr, &help, nullptr, nullptr))) return "?";
  std::string result = Narrow(help);
  SysFreeString(help);
  return result;
}

// --- The type library ---------------------------------------------------

// An optional parameter of Scarica2 and Scarica_ZidoriVovi as the type
// library must describe it.
struct Parameter {
  const char* name;
  const char* type;  // the referenced type's name, or "BSTR", "VARIANT_BOOL", "short"
  bool optional;
  long defaultValue;
};

std::vector<Parameter> ReaderParameters(const char* database, const char* file) {
  namespace d = viruzedi::reader_program_defaults;
  auto boolean = [](bool value) { return value ? -1L : 0L; };
  return {{database, "BSTR", false, 0},
          {file, "BSTR", false, 0},
          {"PortaCOM", "Scarica_COM", true, d::kPortaCOM},
          {"Baud", "Scarica_Baud", true, d::kBaud},
          {"ModFile", "Scarica_ModFile", true, d::kModFile},
          {"CR", "VARIANT_BOOL", true, boolean(d::kCR)},
          {"LF", "VARIANT_BOOL", true, boolean(d::kLF)},
          {"MostraErrore", "VARIANT_BOOL", true, boolean(d::kMostraErrore)},
          {"MostraFile", "VARIANT_BOOL", true, boolean(d::kMostraFile)},
          {"MostraMaschera", "VARIANT_BOOL", true, boolean(d::kMostraMaschera)},
          {"Timeout", "short", true, d::kTimeout}};
}

std::string TypeName(ITypeInfo* info, const TYPEDESC& type) {
  switch (type.vt) {
    case VT_BSTR: return "BSTR";
    case VT_BOOL: return "VARIANT_BOOL";
    case VT_I2: return "short";
    case VT_VARIANT: return "VARIANT";
    case VT_USERDEFINED: {
      ITypeInfo* referenced = nullptr;
      if (FAILED(info->GetRefTypeInfo(type.hreftype, &referenced))) return "?";
      std::string name = NameOf(referenced, MEMBERID_NIL);
      referenced->Release();
      return name;
    }
    default: return "vt " + std::to_string(type.vt);
  }
}

void CheckParameters(ITypeInfo* info, const FUNCDESC* function, const std::string& member,
                     const std::vector<Parameter>& expected) {
  Check(function->cParams == static_cast<SHORT>(expected.size()),
        member + ": " + std::to_string(function->cParams) + " parameters");
  std::vector<BSTR> names(expected.size() + 1);
  UINT count = 0;
  info->GetNames(function->memid, names.data(), static_cast<UINT>(names.size()), &count);
  for (size_t i = 0; i < expected.size() && static_cast<SHORT>(i) < function->cParams; ++i) {
    const Parameter& want = expected[i];
    const ELEMDESC& have = function->lprgelemdescParam[i];
    std::string where = member + " parameter " + std::to_string(i + 1) + " " + want.name;
    Check(i + 1 < count && Narrow(names[i + 1]) == want.name,
          where + ": named " + (i + 1 < count ? Narrow(names[i + 1]) : std::string("-")));
    Check(have.tdesc.vt == VT_PTR, where + ": by reference");
    if (have.tdesc.vt == VT_PTR) {
      std::string type = TypeName(info, *have.tdesc.lptdesc);
      Check(type == want.type, where + ": type " + type);
    }
    USHORT flags = have.paramdesc.wParamFlags;
    Check((flags & (PARAMFLAG_FIN | PARAMFLAG_FOUT)) == (PARAMFLAG_FIN | PARAMFLAG_FOUT),
          where + ": in, out");
    Check(((flags & PARAMFLAG_FOPT) != 0) == want.optional, where + ": optional");
    bool hasDefault = (flags & PARAMFLAG_FHASDEFAULT) && have.paramdesc.pparamdescex;
    Check(hasDefault == want.optional, where + ": default value");
    if (hasDefault && want.optional) {
      VARIANT value;
      VariantInit(&value);
      HRESULT converted =
          VariantChangeType(&value, &have.paramdesc.pparamdescex->varDefaultValue, 0, VT_I4);
      Check(SUCCEEDED(converted) && V_I4(&value) == want.defaultValue,
            where + ": default " + std::to_string(want.defaultValue));
    }
  }
  for (UINT i = 0; i < count; ++i) SysFreeString(names[i]);
}

void CheckEnumeration(ITypeLib* library, const viruzedi::EnumerationIdentity& identity,
                      const viruzedi::EnumerationMember* members, size_t memberCount) {
  std::string name = identity.name;
  ITypeInfo* info = nullptr;
  TYPEATTR* attributes = nullptr;
  GUID id = {};
  IIDFromString(Wide(identity.id).c_str(), &id);
  if (FAILED(library->GetTypeInfoOfGuid(id, &info)) || FAILED(info->GetTypeAttr(&attributes))) {
    Check(false, name + ": no type of GUID " + identity.id);
    if (info) info->Release();
    return;
  }
  Check(attributes->typekind == TKIND_ENUM, name + ": an enumeration");
  Check(NameOf(info, MEMBERID_NIL) == name, name + ": named " + NameOf(info, MEMBERID_NIL));
  Check(attributes->cVars == memberCount, name + ": " + std::to_string(attributes->cVars) + " members");
  for (UINT i = 0; i < attributes->cVars && i < memberCount; ++i) {
    VARDESC* variable = nullptr;
    if (FAILED(info->GetVarDesc(i, &variable))) continue;
    std::string member = NameOf(info, variable->memid);
    VARIANT value;
    VariantInit(&value);
    bool constant = variable->varkind == VAR_CONST &&
                    SUCCEEDED(VariantChangeType(&value, variable->lpvarValue, 0, VT_I4));
    Check(member == members[i].name && constant && V_I4(&value) == members[i].value,
          name + " member " + std::to_string(i) + ": " + member + " = " +
              (constant ? std::to_string(V_I4(&value)) : "?"));
    info->ReleaseVarDesc(variable);
  }
  info->ReleaseTypeAttr(attributes);
  info->Release();
}

// The vtable interface of _Viruzedi: each member of Identity.h with its
// dispatch id, kind and help string, in the table's order.
void CheckInterface(ITypeInfo* dispatch) {
  HREFTYPE reference = 0;
  ITypeInfo* info = nullptr;
  TYPEATTR* attributes = nullptr;
  if (FAILED(dispatch->GetRefTypeOfImplType(static_cast<UINT>(-1), &reference)) ||
      FAILED(dispatch->GetRefTypeInfo(reference, &info)) || FAILED(info->GetTypeAttr(&attributes))) {
    Check(false, "_Viruzedi: not a dual interface");
    return;
  }
  Check((attributes->wTypeFlags & TYPEFLAG_FDUAL) != 0, "_Viruzedi: dual");
  Check(attributes->typekind == TKIND_INTERFACE, "_Viruzedi: a vtable interface");
  std::vector<FUNCDESC*> functions;
  for (UINT i = 0; i < attributes->cFuncs; ++i) {
    FUNCDESC* function = nullptr;
    if (SUCCEEDED(info->GetFuncDesc(i, &function))) functions.push_back(function);
  }
  size_t expectedFunctions = 0;
  for (const viruzedi::MemberIdentity& member : viruzedi::kMembers) {
    std::string name = member.name;
    bool property = member.kind == viruzedi::MemberKind::Property;
    expectedFunctions += property ? 2 : 1;
    // A property is its get and then its put; an operation is one function.
    std::vector<INVOKEKIND> kinds =
        property ? std::vector<INVOKEKIND>{INVOKE_PROPERTYGET, INVOKE_PROPERTYPUT}
                 : std::vector<INVOKEKIND>{INVOKE_FUNC};
    for (INVOKEKIND kind : kinds) {
      const FUNCDESC* found = nullptr;
      for (const FUNCDESC* function : functions) {
        if (function->memid == static_cast<MEMBERID>(member.dispatchId) && function->invkind == kind) {
          found = function;
        }
      }
      std::string where = name + " (" + Hex(static_cast<long>(member.dispatchId)) + ", kind " +
                          std::to_string(kind) + ")";
      Check(found != nullptr, where + ": present");
      if (!found) continue;
      Check(NameOf(info, found->memid) == name, where + ": named " + NameOf(info, found->memid));
      Check(HelpOf(info, found->memid) == member.helpString,
            where + ": help string \"" + HelpOf(info, found->memid) + "\"");
      if (name == "Scarica2") {
        CheckParameters(info, found, name, ReaderParameters("PercorsoMDB", "PercorsoFile"));
      } else if (name == "Scarica_ZidoriVovi") {
        CheckParameters(info, found, name, ReaderParameters("MDB_TabellaTemp", "FileTxtTemp"));
      } else if (!property) {
        // Every other operation has its Variant result and nothing else.
        bool result = found->cParams == 1 &&
                      (found->lprgelemdescParam[0].paramdesc.wParamFlags & PARAMFLAG_FRETVAL) &&
                      found->lprgelemdescParam[0].tdesc.vt == VT_PTR &&
                      found->lprgelemdescParam[0].tdesc.lptdesc->vt == VT_VARIANT;
        Check(result, where + ": a Variant result only");
      }
    }
  }
  Check(functions.size() == expectedFunctions,
        "_Viruzedi: " + std::to_string(functions.size()) + " functions");
  // The declared types of the properties.
  for (const FUNCDESC* function : functions) {
    if (function->invkind != INVOKE_PROPERTYPUT) continue;
    std::string name = NameOf(info, function->memid);
    std::string type = TypeName(info, function->lprgelemdescParam[0].tdesc);
    std::string want = name == "Porta" ? "Scarica_COM" : name == "DbPath" ? "BSTR" : "short";
    Check(type == want, name + ": of type " + type);
  }
  for (FUNCDESC* function : functions) info->ReleaseFuncDesc(function);
  info->ReleaseTypeAttr(attributes);
  info->Release();
}

void CheckTypeLibrary(const wchar_t* path) {
  ITypeLib* library = nullptr;
  HRESULT loaded = LoadTypeLibEx(path, REGKIND_NONE, &library);
  Check(SUCCEEDED(loaded), "LoadTypeLibEx: " + Hex(loaded));
  if (FAILED(loaded)) return;
  TLIBATTR* attributes = nullptr;
  library->GetLibAttr(&attributes);
  Check(IsEqualGUID(attributes->guid, GuidFrom(viruzedi::kTypeLibraryId)), "library GUID");
  Check(attributes->wMajorVerNum == viruzedi::kTypeLibraryMajor &&
            attributes->wMinorVerNum == viruzedi::kTypeLibraryMinor,
        "library version " + std::to_string(attributes->wMajorVerNum) + "." +
            std::to_string(attributes->wMinorVerNum));
#ifdef _WIN64
  Check(attributes->syskind == SYS_WIN64, "library for 64-bit Windows");
#else
  Check(attributes->syskind == SYS_WIN32, "library for 32-bit Windows");
#endif
  library->ReleaseTLibAttr(attributes);
  BSTR name = nullptr;
  library->GetDocumentation(-1, &name, nullptr, nullptr, nullptr);
  Check(Narrow(name) == viruzedi::kTypeLibraryName, "library named " + Narrow(name));
  SysFreeString(name);

  ITypeInfo* coclass = nullptr;
  if (SUCCEEDED(library->GetTypeInfoOfGuid(GuidFrom(viruzedi::kClassId), &coclass))) {
    Check(NameOf(coclass, MEMBERID_NIL) == viruzedi::kClassName, "class named " + NameOf(coclass, MEMBERID_NIL));
    TYPEATTR* classAttributes = nullptr;
    coclass->GetTypeAttr(&classAttributes);
    Check(classAttributes->typekind == TKIND_COCLASS && (classAttributes->wTypeFlags & TYPEFLAG_FCANCREATE),
          "class creatable");
    Check(classAttributes->cImplTypes == 1, "class has one interface");
    coclass->ReleaseTypeAttr(classAttributes);
    HREFTYPE reference = 0;
    ITypeInfo* implemented = nullptr;
    INT flags = 0;
    coclass->GetImplTypeFlags(0, &flags);
    Check((flags & IMPLTYPEFLAG_FDEFAULT) != 0, "_Viruzedi is the default interface");
    if (SUCCEEDED(coclass->GetRefTypeOfImplType(0, &reference)) &&
        SUCCEEDED(coclass->GetRefTypeInfo(reference, &implemented))) {
      TYPEATTR* interfaceAttributes = nullptr;
      implemented->GetTypeAttr(&interfaceAttributes);
      Check(IsEqualGUID(interfaceAttributes->guid, GuidFrom(viruzedi::kInterfaceId)),
            "class implements the interface of kInterfaceId");
      implemented->ReleaseTypeAttr(interfaceAttributes);
      Check(NameOf(implemented, MEMBERID_NIL) == viruzedi::kInterfaceName,
            "interface named " + NameOf(implemented, MEMBERID_NIL));
      implemented->Release();
    }
    coclass->Release();
  } else {
    Check(false, "no class of kClassId");
  }

  ITypeInfo* dispatch = nullptr;
  if (SUCCEEDED(library->GetTypeInfoOfGuid(GuidFrom(viruzedi::kInterfaceId), &dispatch))) {
    CheckInterface(dispatch);
    dispatch->Release();
  } else {
    Check(false, "no interface of kInterfaceId");
  }

  CheckEnumeration(library, viruzedi::kEnumerations[0], viruzedi::kScaricaCOMMembers,
                   std::size(viruzedi::kScaricaCOMMembers));
  CheckEnumeration(library, viruzedi::kEnumerations[1], viruzedi::kScaricaBaudMembers,
                   std::size(viruzedi::kScaricaBaudMembers));
  CheckEnumeration(library, viruzedi::kEnumerations[2], viruzedi::kScaricaModFileMembers,
                   std::size(viruzedi::kScaricaModFileMembers));
  library->Release();
}

// --- Calls --------------------------------------------------------------

constexpr HRESULT Automation(long number) {
  return static_cast<HRESULT>(0x800A0000u | static_cast<unsigned long>(number));
}

// The thread's error object after a failed vtable call.
void CheckErrorObject(const std::string& where) {
  IErrorInfo* error = nullptr;
  Check(GetErrorInfo(0, &error) == S_OK && error, where + ": an error object");
  if (!error) return;
  BSTR source = nullptr, description = nullptr;
  error->GetSource(&source);
  error->GetDescription(&description);
  Check(Narrow(source) == viruzedi::kProgId, where + ": source " + Narrow(source));
  Check(description && SysStringLen(description) > 0, where + ": a description");
  SysFreeString(source);
  SysFreeString(description);
  error->Release();
}

using CanUnloadNow = HRESULT(STDAPICALLTYPE*)();

HRESULT ServerCanUnloadNow() {
  HMODULE server = GetModuleHandleW(L"Viruzedi11600.dll");
  if (!server) return E_FAIL;
  auto entry = reinterpret_cast<CanUnloadNow>(
      reinterpret_cast<void*>(GetProcAddress(server, "DllCanUnloadNow")));
  return entry ? entry() : E_FAIL;
}

void EarlyBound(_Viruzedi* object, const std::wstring& missingDatabase) {
  Scarica_COM porta = COM8;
  BSTR path = nullptr;
  short idUt = 7;
  Check(object->get_Porta(&porta) == S_OK && porta == 0, "a new object's Porta is 0");
  Check(object->get_DbPath(&path) == S_OK && SysStringLen(path) == 0, "a new object's DbPath is \"\"");
  SysFreeString(path);
  Check(object->get_IdUt(&idUt) == S_OK && idUt == 0, "a new object's IdUt is 0");

  object->put_Porta(static_cast<Scarica_COM>(12));
  object->put_IdUt(-1);
  std::wstring accented = L"C:\\Letture più\\àèìòù €.mdb";
  BSTR written = SysAllocString(accented.c_str());
  object->put_DbPath(written);
  SysFreeString(written);
  object->get_Porta(&porta);
  object->get_IdUt(&idUt);
  object->get_DbPath(&path);
  Check(porta == 12 && idUt == -1, "Porta 12 and IdUt -1 read back");
  Check(path && accented == path, "DbPath read back with its accents");
  SysFreeString(path);

  BSTR database = SysAllocString(missingDatabase.c_str());
  BSTR file = SysAllocString(L"C:\\lettore.txt");
  SetErrorInfo(0, nullptr);
  HRESULT failed = object->Scarica2(&database, &file, nullptr, nullptr, nullptr, nullptr, nullptr,
                                    nullptr, nullptr, nullptr, nullptr);
  Check(failed == Automation(3024), "vtable Scarica2 on a missing database: " + Hex(failed));
  CheckErrorObject("vtable Scarica2");
  Scarica_COM com = COM2;
  Scarica_Baud baud = B9600;
  Scarica_ModFile mode = Accoda;
  VARIANT_BOOL yes = VARIANT_TRUE, no = VARIANT_FALSE;
  short timeout = 3;
  failed = object->Scarica_ZidoriVovi(&database, &file, &com, &baud, &mode, &yes, &no, &no, &no,
                                      &no, &timeout);
  Check(failed == Automation(3024), "vtable Scarica_ZidoriVovi on a missing database: " + Hex(failed));
  CheckErrorObject("vtable Scarica_ZidoriVovi");
  Check(SysStringLen(database) == missingDatabase.size() && com == COM2 && timeout == 3,
        "the by-reference parameters are left as they were");
  SysFreeString(database);
  SysFreeString(file);

  ISupportErrorInfo* support = nullptr;
  Check(SUCCEEDED(object->QueryInterface(IID_ISupportErrorInfo, reinterpret_cast<void**>(&support))),
        "ISupportErrorInfo");
  if (support) {
    Check(support->InterfaceSupportsErrorInfo(__uuidof(_Viruzedi)) == S_OK,
          "error objects for _Viruzedi");
    support->Release();
  }
}

// Calls a member through IDispatch::Invoke with the arguments in order.
HRESULT Call(IDispatch* object, const wchar_t* name, WORD flags, std::vector<VARIANT> arguments,
             VARIANT* result, EXCEPINFO* exception) {
  DISPID id = 0;
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  HRESULT found = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  if (FAILED(found)) return found;
  std::vector<VARIANT> reversed(arguments.rbegin(), arguments.rend());
  DISPID put = DISPID_PROPERTYPUT;
  DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
  if (flags & DISPATCH_PROPERTYPUT) {
    params.rgdispidNamedArgs = &put;
    params.cNamedArgs = 1;
  }
  *exception = EXCEPINFO{};
  UINT argumentError = 0;
  return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, exception,
                        &argumentError);
}

VARIANT Text(const wchar_t* text) {
  VARIANT value;
  V_VT(&value) = VT_BSTR;
  V_BSTR(&value) = SysAllocString(text);
  return value;
}

VARIANT Reference(VARIANT* target) {
  VARIANT value;
  V_VT(&value) = VT_BYREF | VT_VARIANT;
  V_VARIANTREF(&value) = target;
  return value;
}

void CheckException(const EXCEPINFO& exception, long number, const std::string& where) {
  Check(exception.scode == Automation(number), where + ": error " + Hex(exception.scode));
  Check(Narrow(exception.bstrSource) == viruzedi::kProgId, where + ": source " + Narrow(exception.bstrSource));
  Check(exception.bstrDescription && SysStringLen(exception.bstrDescription) > 0, where + ": a description");
  SysFreeString(exception.bstrSource);
  SysFreeString(exception.bstrDescription);
  SysFreeString(exception.bstrHelpFile);
}

void LateBound(IDispatch* object, const std::wstring& missingDatabase) {
  for (const viruzedi::MemberIdentity& member : viruzedi::kMembers) {
    DISPID id = 0;
    std::wstring name = Wide(member.name);
    LPOLESTR names[] = {name.data()};
    Check(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id) == S_OK &&
              id == static_cast<DISPID>(member.dispatchId),
          std::string("GetIDsOfNames ") + member.name);
  }
  EXCEPINFO exception{};
  VARIANT result;
  VariantInit(&result);
  // A script gives numbers as text, and puts its variables by reference.
  Check(Call(object, L"Porta", DISPATCH_PROPERTYPUT, {Text(L"3")}, nullptr, &exception) == S_OK,
        "Porta = \"3\"");
  Check(Call(object, L"Porta", DISPATCH_PROPERTYGET, {}, &result, &exception) == S_OK &&
            V_VT(&result) == VT_I4 && V_I4(&result) == 3,
        "Porta reads 3 after \"3\"");
  VariantClear(&result);
  VARIANT variable = Text(L"-5");
  Check(Call(object, L"IdUt", DISPATCH_PROPERTYPUT, {Reference(&variable)}, nullptr, &exception) == S_OK,
        "IdUt = a variable holding \"-5\"");
  Check(Call(object, L"IdUt", DISPATCH_PROPERTYGET | DISPATCH_METHOD, {}, &result, &exception) == S_OK &&
            V_VT(&result) == VT_I2 && V_I2(&result) == -5,
        "IdUt reads -5");
  VariantClear(&variable);
  VariantClear(&result);
  HRESULT failed = Call(object, L"IdUt", DISPATCH_PROPERTYPUT, {Text(L"tre")}, nullptr, &exception);
  Check(failed == DISP_E_EXCEPTION, "IdUt = \"tre\" fails: " + Hex(failed));
  CheckException(exception, 13, "IdUt = \"tre\"");
  failed = Call(object, L"IdUt", DISPATCH_PROPERTYPUT, {Text(L"40000")}, nullptr, &exception);
  CheckException(exception, 6, "IdUt = 40000");

  // Scarica2 with script variables (by reference) and literals mixed; the
  // database is checked first, so the reader program never runs.
  VARIANT database = Text(missingDatabase.c_str());
  VARIANT port = Text(L"3");
  VARIANT timeout;
  V_VT(&timeout) = VT_I4;
  V_I4(&timeout) = 5;
  failed = Call(object, L"Scarica2", DISPATCH_METHOD,
                {Reference(&database), Text(L"C:\\lettore.txt"), Reference(&port)}, &result, &exception);
  Check(failed == DISP_E_EXCEPTION, "Scarica2 by IDispatch fails: " + Hex(failed));
  CheckException(exception, 3024, "Scarica2 on a missing database");
  Check(V_VT(&result) == VT_EMPTY, "Scarica2 has no result");
  Check(V_VT(&database) == VT_BSTR && missingDatabase == V_BSTR(&database),
        "the host's variable is left as it was");
  failed = Call(object, L"Scarica_ZidoriVovi", DISPATCH_METHOD,
                {Reference(&database), Text(L"C:\\lettore.txt"), Text(L"1"), Text(L"2"), Text(L"1"),
                 Text(L"True"), Text(L"0"), Text(L"0"), Text(L"0"), Text(L"0"), timeout},
                nullptr, &exception);
  CheckException(exception, 3024, "Scarica_ZidoriVovi with all eleven parameters");
  failed = Call(object, L"Scarica2", DISPATCH_METHOD,
                {Reference(&database), Text(L"C:\\lettore.txt"), Text(L"COM3")}, nullptr, &exception);
  CheckException(exception, 13, "Scarica2 with PortaCOM \"COM3\"");
  failed = Call(object, L"Scarica2", DISPATCH_METHOD, {Reference(&database)}, nullptr, &exception);
  Check(failed == DISP_E_PARAMNOTOPTIONAL, "Scarica2 without PercorsoFile: " + Hex(failed));
  VARIANT twelve[12];
  for (VARIANT& value : twelve) value = Text(L"1");
  failed = Call(object, L"Scarica2", DISPATCH_METHOD, std::vector<VARIANT>(twelve, twelve + 12),
                nullptr, &exception);
  Check(failed == DISP_E_BADPARAMCOUNT, "Scarica2 with twelve parameters: " + Hex(failed));
  for (VARIANT& value : twelve) VariantClear(&value);
  VariantClear(&database);
  VariantClear(&port);

  // An operation's result is Empty, also after a failure it reported in a
  // box: port 3 has no device here.
  V_VT(&result) = VT_I4;
  Check(Call(object, L"Scarica", DISPATCH_METHOD | DISPATCH_PROPERTYGET, {}, &result, &exception) == S_OK &&
            V_VT(&result) == VT_EMPTY,
        "Scarica returns Empty");
}

int Calls(const std::wstring& missingDatabase) {
  if (FAILED(CoInitialize(nullptr))) {
    std::printf("FAIL CoInitialize\n");
    return 1;
  }
  _Viruzedi* object = nullptr;
  HRESULT created = CoCreateInstance(GuidFrom(viruzedi::kClassId), nullptr, CLSCTX_INPROC_SERVER,
                                     __uuidof(_Viruzedi), reinterpret_cast<void**>(&object));
  Check(SUCCEEDED(created), "CoCreateInstance: " + Hex(created));
  if (object) {
    Check(ServerCanUnloadNow() == S_FALSE, "the server stays while an object lives");
    EarlyBound(object, missingDatabase);
    IDispatch* dispatch = nullptr;
    Check(SUCCEEDED(object->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch))),
          "IDispatch");
    if (dispatch) {
      LateBound(dispatch, missingDatabase);
      dispatch->Release();
    }
    Check(object->Release() == 0, "the last reference goes");
    Check(ServerCanUnloadNow() == S_OK, "the server may go when no object lives");
  }
  IClassFactory* factory = nullptr;
  CoGetClassObject(GuidFrom(viruzedi::kClassId), CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                   reinterpret_cast<void**>(&factory));
  if (factory) {
    factory->LockServer(TRUE);
    factory->Release();
    Check(ServerCanUnloadNow() == S_FALSE, "a lock keeps the server");
    CoGetClassObject(GuidFrom(viruzedi::kClassId), CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                     reinterpret_cast<void**>(&factory));
    factory->LockServer(FALSE);
    IUnknown* aggregated = nullptr;
    Check(factory->CreateInstance(reinterpret_cast<IUnknown*>(factory), IID_IUnknown,
                                  reinterpret_cast<void**>(&aggregated)) == CLASS_E_NOAGGREGATION,
          "no aggregation");
    factory->Release();
    Check(ServerCanUnloadNow() == S_OK, "unlocked, the server may go");
  } else {
    Check(false, "CoGetClassObject");
  }
  CoUninitialize();
  return failures;
}

_Viruzedi* waiting = nullptr;
HRESULT secondCall = S_OK;
std::string secondDescription;
int timerCalls = 0;

void CALLBACK SecondOperation(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  ++timerCalls;
  VARIANT result;
  secondCall = waiting->Scarica4(&result);
  IErrorInfo* error = nullptr;
  if (GetErrorInfo(0, &error) == S_OK && error) {
    BSTR description = nullptr;
    error->GetDescription(&description);
    secondDescription = Narrow(description);
    SysFreeString(description);
    error->Release();
  }
}

int Reentry(int port, const wchar_t* database) {
  if (FAILED(CoInitialize(nullptr))) {
    std::printf("FAIL CoInitialize\n");
    return 1;
  }
  HRESULT created = CoCreateInstance(GuidFrom(viruzedi::kClassId), nullptr, CLSCTX_INPROC_SERVER,
                                     __uuidof(_Viruzedi), reinterpret_cast<void**>(&waiting));
  Check(SUCCEEDED(created), "CoCreateInstance: " + Hex(created));
  if (!waiting) return failures;
  waiting->put_Porta(static_cast<Scarica_COM>(port));
  BSTR target = SysAllocString(database);
  waiting->put_DbPath(target);
  SysFreeString(target);
  SetTimer(nullptr, 0, 300, SecondOperation);
  VARIANT result;
  HRESULT first = waiting->Scarica(&result);
  Check(first == S_OK && V_VT(&result) == VT_EMPTY, "the waiting Scarica ends normally: " + Hex(first));
  Check(timerCalls == 1, "the host's timer ran while Scarica waited");
  Check(secondCall == Automation(17), "the second operation is refused: " + Hex(secondCall));
  Check(!secondDescription.empty(), "the refusal has a description");
  std::printf("refused: %s\n", secondDescription.c_str());
  // Once the first has ended, the object takes operations again.
  BSTR missing = SysAllocString(L"C:\\nessuna\\archivio.mdb");
  BSTR file = SysAllocString(L"C:\\lettore.txt");
  HRESULT after = waiting->Scarica2(&missing, &file, nullptr, nullptr, nullptr, nullptr, nullptr,
                                    nullptr, nullptr, nullptr, nullptr);
  Check(after == Automation(3024), "an operation after the first runs: " + Hex(after));
  SysFreeString(missing);
  SysFreeString(file);
  waiting->Release();
  CoUninitialize();
  return failures;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 3 && std::wcscmp(argv[1], L"typelib") == 0) {
    CheckTypeLibrary(argv[2]);
  } else if (argc == 3 && std::wcscmp(argv[1], L"calls") == 0) {
    Calls(argv[2]);
  } else if (argc == 4 && std::wcscmp(argv[1], L"reentry") == 0) {
    Reentry(_wtoi(argv[2]), argv[3]);
  } else {
    std::fprintf(stderr, "usage: viruzedi-automation-client typelib DLL | calls MISSING_DATABASE | reentry PORT DATABASE\n");
    return 2;
  }
  if (failures == 0) std::printf("ok\n");
  return failures;
}
