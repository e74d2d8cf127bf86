// The four file downloads and the upload of class Viruzedi.
#include "component/Viruzedi.h"
#include "terminal/FileDownload.h"
#include "terminal/Forms.h"

namespace viruzedi {
namespace {

// Scarica3 shares the remittances' prefix, so the archives of both begin
// "Importato_Rimesse_OF_".
constexpr FileDownload kSubOrderReads{"Rimesse_OF_", 1, ArchiveRule::kImportato,
                                      SubOrderReadStatement};
constexpr FileDownload kStockMovements{"MovMag_", 1, ArchiveRule::kEndOfImport,
                                       StockMovementStatement};
constexpr FileDownload kReconciliation{"Riconciliazione_", 2, ArchiveRule::kEndOfImport,
                                       ReconciliationStatement};
constexpr FileDownload kRemittances{"Rimesse_OF_", 1, ArchiveRule::kImportato,
                                    RemittanceStatement};

}  // namespace

Variant Viruzedi::Scarica3() {
  OperationGuard guard(*this);
  return RunFileDownload(kSubOrderReads, *platform_, dbPath_, idUt_);
}

Variant Viruzedi::Scarica4() {
  OperationGuard guard(*this);
  return RunFileDownload(kStockMovements, *platform_, dbPath_, idUt_);
}

Variant Viruzedi::Scarica5() {
  OperationGuard guard(*this);
  return RunFileDownload(kReconciliation, *platform_, dbPath_, idUt_);
}

Variant Viruzedi::Scarica_RimesseOF() {
  OperationGuard guard(*this);
  return RunFileDownload(kRemittances, *platform_, dbPath_, idUt_);
}

// The upload file is the host's: the component never writes, checks or
// deletes it. Only a form that cannot be made reaches the host.
Variant Viruzedi::Upload1() {
  OperationGuard guard(*this);
  CaricaDuzuForm& form = CaricaDuzu();
  form.Load(*platform_);
  form.Unload();
  return {};
}

}  // namespace viruzedi
