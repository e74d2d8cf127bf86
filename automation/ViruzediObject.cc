#include "automation/ViruzediObject.h"

#include <new>
#include <string>

#include "automation/Server.h"
#include "base/Errors.h"
#include "operation/ErrorReport.h"
#include "viruzedi/Viruzedi.h"
#include "viruzedi/ReaderProgramDefaults.h"

namespace viruzedi::automation {

namespace {

// Runs a member's work; a failure becomes the automation error that reaches
// the host. Every member clears the thread's error object first, so that a
// host never reads an older one after a success.
template <typename Work>
HRESULT Guarded(Work&& work) {
  SetErrorInfo(0, nullptr);
  try {
    work();
    return S_OK;
  } catch (...) {
    // The same number and text as every other path gives the failure.
    const AutomationError failure = CurrentFailure();
    return AutomationFailure(failure.number, failure.description);
  }
}

// The automation type a parameter is converted to, and whether the member
// takes it by reference. Enumerations are 32-bit integers.
struct ParameterType {
  VARTYPE type = VT_EMPTY;
  bool byReference = false;
};

ParameterType TypeOf(ITypeInfo& info, const TYPEDESC& declared) {
  ParameterType result;
  const TYPEDESC* type = &declared;
  if (type->vt == VT_PTR) {
    result.byReference = true;
    type = type->lptdesc;
  }
  result.type = type->vt;
  if (type->vt == VT_USERDEFINED) {
    ITypeInfo* referenced = nullptr;
    TYPEATTR* attributes = nullptr;
    if (SUCCEEDED(info.GetRefTypeInfo(type->hreftype, &referenced)) &&
        SUCCEEDED(referenced->GetTypeAttr(&attributes))) {
      if (attributes->typekind == TKIND_ENUM) result.type = VT_I4;
      referenced->ReleaseTypeAttr(attributes);
    }
    if (referenced) referenced->Release();
  }
  return result;
}

// The value inside the references that script hosts pass for variables
// (VT_BYREF | VT_VARIANT).
VARIANT& Referenced(VARIANT& argument) {
  VARIANT* value = &argument;
  while (V_VT(value) == (VT_BYREF | VT_VARIANT) && V_VARIANTREF(value)) value = V_VARIANTREF(value);
  return *value;
}

bool IsMissing(const VARIANT& argument) {
  return V_VT(&argument) == VT_ERROR && V_ERROR(&argument) == DISP_E_PARAMNOTFOUND;
}

void FillException(EXCEPINFO* exception, int32_t number, const std::string& description) {
  if (!exception) return;
  *exception = EXCEPINFO{};
  exception->scode = static_cast<SCODE>(0x800A0000u | static_cast<uint32_t>(number));
  exception->bstrSource = SysAllocString(Wide(kProgId).c_str());
  exception->bstrDescription = SysAllocString(Wide(description).c_str());
}

// Fills the host's exception from the thread's error object when the
// type library's Invoke passed a member's failure on without it.
void FillFromErrorObject(EXCEPINFO* exception, HRESULT failure) {
  if (!exception || exception->scode != 0 || exception->wCode != 0) return;
  exception->scode = failure;
  IErrorInfo* error = nullptr;
  if (GetErrorInfo(0, &error) == S_OK && error) {
    error->GetSource(&exception->bstrSource);
    error->GetDescription(&exception->bstrDescription);
    error->Release();
  }
}

// The arguments of one call as the member declares them: every parameter
// present (defaults put in for the ones left out), converted to its type,
// and by reference where the member takes a reference. The member writes
// into the copies, never into the host's variables: the component changes
// none of its parameters.
class Arguments {
 public:
  Arguments() = default;
  Arguments(const Arguments&) = delete;
  Arguments& operator=(const Arguments&) = delete;
  ~Arguments() {
    for (VARIANT& value : values_) VariantClear(&value);
  }

  // S_OK, DISP_E_BADPARAMCOUNT, DISP_E_PARAMNOTFOUND, DISP_E_PARAMNOTOPTIONAL,
  // or DISP_E_EXCEPTION with `exception` filled (a value that cannot be
  // converted: 13, or 6 when it does not fit).
  HRESULT Prepare(ITypeInfo& info, const FUNCDESC& function, WORD flags, const DISPPARAMS& given,
                  EXCEPINFO* exception, UINT* argumentError) {
    size_t count = 0;
    for (SHORT i = 0; i < function.cParams; ++i) {
      if (!(function.lprgelemdescParam[i].paramdesc.wParamFlags & PARAMFLAG_FRETVAL)) ++count;
    }
    if (given.cArgs > count) return DISP_E_BADPARAMCOUNT;
    bool put = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;

    // The host's argument for each parameter, or null.
    std::vector<VARIANT*> supplied(count, nullptr);
    std::vector<UINT> position(count, 0);
    for (UINT i = 0; i < given.cArgs; ++i) {
      size_t parameter;
      if (i < given.cNamedArgs) {
        DISPID name = given.rgdispidNamedArgs[i];
        if (name == DISPID_PROPERTYPUT && put) {
          parameter = count - 1;
        } else if (name >= 0 && static_cast<size_t>(name) < count) {
          parameter = static_cast<size_t>(name);
        } else {
          if (argumentError) *argumentError = i;
          return DISP_E_PARAMNOTFOUND;
        }
      } else {
        parameter = given.cArgs - 1 - i;
      }
      supplied[parameter] = &given.rgvarg[i];
      position[parameter] = i;
    }

    values_.resize(count);
    arguments_.resize(count);
    for (VARIANT& value : values_) VariantInit(&value);
    for (size_t parameter = 0; parameter < count; ++parameter) {
      const ELEMDESC& declared = function.lprgelemdescParam[parameter];
      ParameterType type = TypeOf(info, declared.tdesc);
      VARIANT& value = values_[parameter];
      VARIANT* argument = supplied[parameter] ? &Referenced(*supplied[parameter]) : nullptr;
      if (!argument || IsMissing(*argument)) {
        USHORT parameterFlags = declared.paramdesc.wParamFlags;
        if (!(parameterFlags & PARAMFLAG_FHASDEFAULT) || !declared.paramdesc.pparamdescex) {
          if (argumentError) *argumentError = supplied[parameter] ? position[parameter] : 0;
          return DISP_E_PARAMNOTOPTIONAL;
        }
        argument = &declared.paramdesc.pparamdescex->varDefaultValue;
      }
      HRESULT converted = type.type == VT_VARIANT
                              ? VariantCopyInd(&value, argument)
                              : VariantChangeType(&value, argument, 0, type.type);
      if (FAILED(converted)) {
        if (argumentError) *argumentError = position[parameter];
        int32_t number = converted == DISP_E_OVERFLOW ? kOverflow : kTypeMismatch;
        FillException(exception, number, ErrorDescription(number));
        return DISP_E_EXCEPTION;
      }
      // Reversed, as hosts pass them; a reference points at the copy.
      VARIANT& passed = arguments_[count - 1 - parameter];
      VariantInit(&passed);
      if (type.byReference) {
        V_VT(&passed) = VT_BYREF | type.type;
        V_BYREF(&passed) = type.type == VT_VARIANT ? static_cast<void*>(&value)
                                                   : static_cast<void*>(&V_NONE(&value));
      } else {
        passed = value;  // a shallow copy: values_ owns what it holds
      }
    }
    params_.rgvarg = arguments_.data();
    params_.cArgs = static_cast<UINT>(count);
    if (put && count > 0) {
      // The new value of a property is the named argument DISPID_PROPERTYPUT,
      // which comes first.
      putName_ = DISPID_PROPERTYPUT;
      params_.rgdispidNamedArgs = &putName_;
      params_.cNamedArgs = 1;
    }
    return S_OK;
  }

  DISPPARAMS* Params() { return &params_; }

 private:
  std::vector<VARIANT> values_;
  std::vector<VARIANT> arguments_;
  DISPID putName_ = DISPID_PROPERTYPUT;
  DISPPARAMS params_{};
};

std::string Text(const BSTR* value) {
  if (!value || !*value) return {};
  return Utf8(*value, SysStringLen(*value));
}

// Left-out optional parameters of an early-bound call arrive as their
// defaults from the compiler; a null reference is taken as left out too.
template <typename T>
int32_t NumberOr(const T* value, int32_t fallback) {
  return value ? static_cast<int32_t>(*value) : fallback;
}
bool BooleanOr(const VARIANT_BOOL* value, bool fallback) {
  return value ? *value != VARIANT_FALSE : fallback;
}

HRESULT EmptyResult(VARIANT* result) {
  if (!result) return E_POINTER;
  VariantInit(result);
  return S_OK;
}

}  // namespace

ViruzediObject::ViruzediObject() {
  ITypeLib* library = nullptr;
  HRESULT loaded = LoadTypeLibEx(ModulePath().c_str(), REGKIND_NONE, &library);
  if (SUCCEEDED(loaded)) {
    loaded = library->GetTypeInfoOfGuid(kInterfaceGuid, &dispatchInfo_);
    library->Release();
  }
  HREFTYPE vtable = 0;
  if (SUCCEEDED(loaded)) loaded = dispatchInfo_->GetRefTypeOfImplType(static_cast<UINT>(-1), &vtable);
  if (SUCCEEDED(loaded)) loaded = dispatchInfo_->GetRefTypeInfo(vtable, &interfaceInfo_);
  TYPEATTR* attributes = nullptr;
  if (SUCCEEDED(loaded)) loaded = interfaceInfo_->GetTypeAttr(&attributes);
  if (FAILED(loaded)) {
    if (interfaceInfo_) interfaceInfo_->Release();
    if (dispatchInfo_) dispatchInfo_->Release();
    RaiseError(kDeviceIoError, "la libreria dei tipi di " + std::string(kComponentFileName) +
                                   " non si può leggere");
  }
  for (UINT i = 0; i < attributes->cFuncs; ++i) {
    FUNCDESC* function = nullptr;
    if (SUCCEEDED(interfaceInfo_->GetFuncDesc(i, &function))) functions_.push_back(function);
  }
  interfaceInfo_->ReleaseTypeAttr(attributes);
  try {
    component_ = std::make_unique<viruzedi::Viruzedi>();
  } catch (...) {
    for (FUNCDESC* function : functions_) interfaceInfo_->ReleaseFuncDesc(function);
    interfaceInfo_->Release();
    dispatchInfo_->Release();
    throw;
  }
  AddModuleReference();
}

ViruzediObject::~ViruzediObject() {
  // The component goes first: its destructor releases the serial control.
  component_.reset();
  for (FUNCDESC* function : functions_) interfaceInfo_->ReleaseFuncDesc(function);
  interfaceInfo_->Release();
  dispatchInfo_->Release();
  ReleaseModuleReference();
}

HRESULT ViruzediObject::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
      IsEqualIID(riid, kInterfaceGuid)) {
    *object = static_cast<_Viruzedi*>(this);
  } else if (IsEqualIID(riid, IID_ISupportErrorInfo)) {
    *object = static_cast<ISupportErrorInfo*>(this);
  } else {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

ULONG ViruzediObject::AddRef() { return ++references_; }

ULONG ViruzediObject::Release() {
  ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

HRESULT ViruzediObject::GetTypeInfoCount(UINT* count) {
  if (!count) return E_POINTER;
  *count = 1;
  return S_OK;
}

HRESULT ViruzediObject::GetTypeInfo(UINT index, LCID, ITypeInfo** info) {
  if (!info) return E_POINTER;
  *info = nullptr;
  if (index != 0) return DISP_E_BADINDEX;
  dispatchInfo_->AddRef();
  *info = dispatchInfo_;
  return S_OK;
}

HRESULT ViruzediObject::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID,
                                      DISPID* ids) {
  if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  return DispGetIDsOfNames(interfaceInfo_, names, count, ids);
}

const FUNCDESC* ViruzediObject::FindFunction(DISPID member, WORD flags) const {
  // An operation first: a script calls one as DISPATCH_METHOD |
  // DISPATCH_PROPERTYGET when it uses its result.
  for (INVOKEKIND kind : {INVOKE_FUNC, INVOKE_PROPERTYGET, INVOKE_PROPERTYPUT, INVOKE_PROPERTYPUTREF}) {
    if (!(flags & kind)) continue;
    for (const FUNCDESC* function : functions_) {
      if (function->memid == member && function->invkind == kind) return function;
    }
  }
  return nullptr;
}

HRESULT ViruzediObject::Invoke(DISPID member, REFIID riid, LCID, WORD flags,
                               DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                               UINT* argumentError) {
  if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  if (!params) return E_INVALIDARG;
  if (exception) *exception = EXCEPINFO{};
  _Viruzedi* self = this;
  const FUNCDESC* function = FindFunction(member, flags);
  if (!function) {
    return interfaceInfo_->Invoke(self, member, flags, params, result, exception, argumentError);
  }
  Arguments arguments;
  HRESULT prepared = arguments.Prepare(*interfaceInfo_, *function, flags, *params, exception,
                                       argumentError);
  if (FAILED(prepared)) return prepared;
  HRESULT invoked = interfaceInfo_->Invoke(self, member, flags, arguments.Params(), result,
                                           exception, argumentError);
  if (invoked == DISP_E_EXCEPTION) {
    FillFromErrorObject(exception, invoked);
  } else if (FAILED(invoked) && HRESULT_FACILITY(invoked) == FACILITY_CONTROL) {
    FillFromErrorObject(exception, invoked);
    invoked = DISP_E_EXCEPTION;
  }
  return invoked;
}

HRESULT ViruzediObject::InterfaceSupportsErrorInfo(REFIID riid) {
  return IsEqualIID(riid, kInterfaceGuid) ? S_OK : S_FALSE;
}

HRESULT ViruzediObject::get_Porta(::Scarica_COM* value) {
  if (!value) return E_POINTER;
  *value = static_cast<::Scarica_COM>(component_->Porta());
  return S_OK;
}

HRESULT ViruzediObject::put_Porta(::Scarica_COM value) {
  component_->Porta(static_cast<int32_t>(value));
  return S_OK;
}

HRESULT ViruzediObject::get_DbPath(BSTR* value) {
  if (!value) return E_POINTER;
  *value = nullptr;
  return Guarded([&] {
    *value = SysAllocString(Wide(component_->DbPath()).c_str());
    if (!*value) throw std::bad_alloc();
  });
}

HRESULT ViruzediObject::put_DbPath(BSTR value) {
  return Guarded([&] { component_->DbPath(Text(&value)); });
}

HRESULT ViruzediObject::get_IdUt(short* value) {
  if (!value) return E_POINTER;
  *value = component_->IdUt();
  return S_OK;
}

HRESULT ViruzediObject::put_IdUt(short value) {
  component_->IdUt(value);
  return S_OK;
}

// The operations' results are always empty: what they return is dropped
// and the host gets VT_EMPTY.
HRESULT ViruzediObject::Scarica(VARIANT* result) {
  if (FAILED(EmptyResult(result))) return E_POINTER;
  return Guarded([&] { component_->Scarica(); });
}

HRESULT ViruzediObject::Scarica3(VARIANT* result) {
  if (FAILED(EmptyResult(result))) return E_POINTER;
  return Guarded([&] { component_->Scarica3(); });
}

HRESULT ViruzediObject::Scarica4(VARIANT* result) {
  if (FAILED(EmptyResult(result))) return E_POINTER;
  return Guarded([&] { component_->Scarica4(); });
}

HRESULT ViruzediObject::Scarica5(VARIANT* result) {
  if (FAILED(EmptyResult(result))) return E_POINTER;
  return Guarded([&] { component_->Scarica5(); });
}

HRESULT ViruzediObject::Scarica_RimesseOF(VARIANT* result) {
  if (FAILED(EmptyResult(result))) return E_POINTER;
  return Guarded([&] { component_->Scarica_RimesseOF(); });
}

HRESULT ViruzediObject::Scarica1(VARIANT* result) {
  if (FAILED(EmptyResult(result))) return E_POINTER;
  return Guarded([&] { component_->Scarica1(); });
}

HRESULT ViruzediObject::Upload1(VARIANT* result) {
  if (FAILED(EmptyResult(result))) return E_POINTER;
  return Guarded([&] { component_->Upload1(); });
}

HRESULT ViruzediObject::Scarica2(BSTR* PercorsoMDB, BSTR* PercorsoFile, ::Scarica_COM* PortaCOM,
                                 ::Scarica_Baud* Baud, ::Scarica_ModFile* ModFile, VARIANT_BOOL* CR,
                                 VARIANT_BOOL* LF, VARIANT_BOOL* MostraErrore,
                                 VARIANT_BOOL* MostraFile, VARIANT_BOOL* MostraMaschera,
                                 short* Timeout) {
  namespace d = reader_program_defaults;
  return Guarded([&] {
    component_->Scarica2(Text(PercorsoMDB), Text(PercorsoFile), NumberOr(PortaCOM, d::kPortaCOM),
                         NumberOr(Baud, d::kBaud), NumberOr(ModFile, d::kModFile),
                         BooleanOr(CR, d::kCR), BooleanOr(LF, d::kLF),
                         BooleanOr(MostraErrore, d::kMostraErrore),
                         BooleanOr(MostraFile, d::kMostraFile),
                         BooleanOr(MostraMaschera, d::kMostraMaschera),
                         static_cast<int16_t>(NumberOr(Timeout, d::kTimeout)));
  });
}

HRESULT ViruzediObject::Scarica_ZidoriVovi(BSTR* MDB_TabellaTemp, BSTR* FileTxtTemp,
                                           ::Scarica_COM* PortaCOM, ::Scarica_Baud* Baud,
                                           ::Scarica_ModFile* ModFile, VARIANT_BOOL* CR,
                                           VARIANT_BOOL* LF, VARIANT_BOOL* MostraErrore,
                                           VARIANT_BOOL* MostraFile,
                                           VARIANT_BOOL* MostraMaschera, short* Timeout) {
  namespace d = reader_program_defaults;
  return Guarded([&] {
    component_->Scarica_ZidoriVovi(
        Text(MDB_TabellaTemp), Text(FileTxtTemp), NumberOr(PortaCOM, d::kPortaCOM),
        NumberOr(Baud, d::kBaud), NumberOr(ModFile, d::kModFile), BooleanOr(CR, d::kCR),
        BooleanOr(LF, d::kLF), BooleanOr(MostraErrore, d::kMostraErrore),
        BooleanOr(MostraFile, d::kMostraFile), BooleanOr(MostraMaschera, d::kMostraMaschera),
        static_cast<int16_t>(NumberOr(Timeout, d::kTimeout)));
  });
}

}  // namespace viruzedi::automation
