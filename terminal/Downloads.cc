// The four downloads' descriptions.
#include "terminal/FileDownload.h"

namespace viruzedi {
namespace {

constexpr const char* kReadColumns[] = {"Codart", "IdLotto", "Id SottoOrd", "Quantità", "Data"};
constexpr const char* kMovementColumns[] = {"Codart", "IdLotto", "Quantità", "Data", "Rep"};
constexpr const char* kReconciliationColumns[] = {"Codart", "IdLotto", "Quantità"};
constexpr const char* kRemittanceColumns[] = {"IdUt", "IdSottoORd", "Qtà", "NDoc", "DataDoc"};

// Scarica3 shares the remittances' prefix, so the archives of both begin
// "Importato_Rimesse_OF_".
constexpr FileDownload kSubOrderReads{"Rimesse_OF_",        1, ArchiveRule::kImportato,
                                      SubOrderReadRow, "Viruzedi", kReadColumns,
                                      ImportFormat::kScarica3};
constexpr FileDownload kStockMovements{"MovMag_",           1, ArchiveRule::kEndOfImport,
                                       StockMovementRow, "Viruzedi", kMovementColumns,
                                       ImportFormat::kScarica4};
constexpr FileDownload kReconciliation{"Riconciliazione_", 2, ArchiveRule::kEndOfImport,
                                       ReconciliationRow, "Viruzedi",
                                       kReconciliationColumns, ImportFormat::kScarica5};
constexpr FileDownload kRemittances{"Rimesse_OF_",          1, ArchiveRule::kImportato,
                                    RemittanceRow, "Viruzedi_RimesseOF",
                                    kRemittanceColumns, ImportFormat::kScaricaRimesseOF};

}  // namespace

const FileDownload& DownloadOf(ImportFormat format) {
  switch (format) {
    case ImportFormat::kScarica3: return kSubOrderReads;
    case ImportFormat::kScarica4: return kStockMovements;
    case ImportFormat::kScarica5: return kReconciliation;
    case ImportFormat::kScaricaRimesseOF: return kRemittances;
    default: RaiseError(kInvalidArgument);
  }
}

}  // namespace viruzedi
