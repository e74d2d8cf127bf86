#include "base/Errors.h"

namespace viruzedi {

std::string ErrorDescription(int32_t number) {
  switch (number) {
    case kInvalidArgument: return "Argomento o chiamata di procedura non valida";
    case kOverflow: return "Overflow";
    case kSubscriptOutOfRange: return "Indice fuori dall'intervallo";
    case kTypeMismatch: return "Tipo non corrispondente";
    case kOutOfStringSpace: return "Spazio per le stringhe esaurito";
    case kUserInterrupt: return "Operazione interrotta dall'utente";
    case kOperationRefused: return "Impossibile eseguire l'operazione richiesta";
    case kFileNotFound: return "File non trovato";
    case kFileAlreadyExists: return "Il file esiste già";
    case kDiskFull: return "Disco pieno";
    case kInputPastEndOfFile: return "Lettura oltre la fine del file";
    case kDeviceIoError: return "Errore di I/O della periferica";
    case kPathFileAccessError: return "Errore di accesso al percorso o al file";
    case kPermissionDenied: return "Permesso negato";
    case kPathNotFound: return "Percorso non trovato";
    case kEntryPointMissing: return "Funzione non trovata nella libreria";
    case kReceiveOverflow: return "Overflow del buffer di ricezione";
    case kInvalidPortNumber: return "Numero di porta non valido";
    case kPortAlreadyOpen: return "Porta già aperta";
    case kPortNotOpen: return "Operazione non valida: la porta non è aperta";
    case kSettingsNotApplied: return "Impossibile applicare le impostazioni della porta";
    default: return "Errore " + std::to_string(number);
  }
}

std::string WithSentence(const std::string& description, const std::string& sentence) {
  if (sentence.empty()) return description;
  const size_t end = description.find_last_not_of(' ');
  if (end == std::string::npos) return sentence;
  const std::string text = description.substr(0, end + 1);
  const char last = text.back();
  const bool stopped = last == '.' || last == '!' || last == '?';
  return text + (stopped ? " " : ". ") + sentence;
}

void RaiseError(int32_t number) { throw AutomationError(number, ErrorDescription(number)); }

void RaiseError(int32_t number, const std::string& detail) {
  throw AutomationError(number, ErrorDescription(number) + ": " + detail);
}

}  // namespace viruzedi
