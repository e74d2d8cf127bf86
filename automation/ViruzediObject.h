// One object of class Viruzedi as a host sees it: the dual interface
// _Viruzedi over one viruzedi::Viruzedi, which it owns.
//
// Early-bound hosts call the vtable; late-bound hosts (scripts) call
// IDispatch, which the type library's own Invoke turns into the same vtable
// calls after the arguments have been made what the members declare.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <atomic>
#include <memory>
#include <vector>

#include "automation/Viruzedi11600.h"

namespace viruzedi {
class Viruzedi;
}

namespace viruzedi::automation {

class ViruzediObject final : public _Viruzedi, public ISupportErrorInfo {
 public:
  // Throws what creating the component throws (AutomationError), and
  // AutomationError when the type library cannot be read from the module.
  ViruzediObject();
  ViruzediObject(const ViruzediObject&) = delete;
  ViruzediObject& operator=(const ViruzediObject&) = delete;

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  // IDispatch
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                                          DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID riid, LCID lcid, WORD flags,
                                   DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                   UINT* argumentError) override;

  // ISupportErrorInfo
  HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID riid) override;

  // _Viruzedi
  HRESULT STDMETHODCALLTYPE get_Porta(::Scarica_COM* value) override;
  HRESULT STDMETHODCALLTYPE put_Porta(::Scarica_COM value) override;
  HRESULT STDMETHODCALLTYPE get_DbPath(BSTR* value) override;
  HRESULT STDMETHODCALLTYPE put_DbPath(BSTR value) override;
  HRESULT STDMETHODCALLTYPE get_IdUt(short* value) override;
  HRESULT STDMETHODCALLTYPE put_IdUt(short value) override;
  HRESULT STDMETHODCALLTYPE Scarica(VARIANT* result) override;
  HRESULT STDMETHODCALLTYPE Scarica3(VARIANT* result) override;
  HRESULT STDMETHODCALLTYPE Scarica4(VARIANT* result) override;
  HRESULT STDMETHODCALLTYPE Scarica5(VARIANT* result) override;
  HRESULT STDMETHODCALLTYPE Scarica_RimesseOF(VARIANT* result) override;
  HRESULT STDMETHODCALLTYPE Scarica1(VARIANT* result) override;
  HRESULT STDMETHODCALLTYPE Scarica2(BSTR* PercorsoMDB, BSTR* PercorsoFile, ::Scarica_COM* PortaCOM,
                                     ::Scarica_Baud* Baud, ::Scarica_ModFile* ModFile,
                                     VARIANT_BOOL* CR, VARIANT_BOOL* LF,
                                     VARIANT_BOOL* MostraErrore, VARIANT_BOOL* MostraFile,
                                     VARIANT_BOOL* MostraMaschera, short* Timeout) override;
  HRESULT STDMETHODCALLTYPE Upload1(VARIANT* result) override;
  HRESULT STDMETHODCALLTYPE Scarica_ZidoriVovi(BSTR* MDB_TabellaTemp, BSTR* FileTxtTemp,
                                               ::Scarica_COM* PortaCOM, ::Scarica_Baud* Baud,
                                               ::Scarica_ModFile* ModFile, VARIANT_BOOL* CR,
                                               VARIANT_BOOL* LF, VARIANT_BOOL* MostraErrore,
                                               VARIANT_BOOL* MostraFile,
                                               VARIANT_BOOL* MostraMaschera,
                                               short* Timeout) override;

 private:
  ~ViruzediObject();

  // The description of a member of _Viruzedi that `flags` may call, or null.
  const FUNCDESC* FindFunction(DISPID member, WORD flags) const;

  std::atomic<ULONG> references_{1};
  std::unique_ptr<viruzedi::Viruzedi> component_;
  // The dispatch description handed to hosts, and the description of the
  // vtable interface, whose Invoke calls this object's members.
  ITypeInfo* dispatchInfo_ = nullptr;
  ITypeInfo* interfaceInfo_ = nullptr;
  std::vector<FUNCDESC*> functions_;
};

}  // namespace viruzedi::automation
