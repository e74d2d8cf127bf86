#include "database/DatabaseMessages.h"

#include "base/Errors.h"
#include "base/Masking.h"
#include "database/Database.h"

namespace viruzedi {

std::string DatabaseErrorDescription(int32_t number, const std::string& subject) {
  const std::string quoted = "'" + subject + "'";
  // These name the database value itself, which may be a connection string
  // that was taken for a file's name.
  const std::string database = "'" + MaskPasswords(subject) + "'";
  switch (number) {
    case kDbFileNotFound:
      return "Impossibile trovare il file " + database + ".";
    case kDbLocked:
      return "Impossibile usare il file " + database +
             ": è già in uso o bloccato da un altro utente.";
    case kDbCannotOpen:
      return "Impossibile aprire il file " + database + ": permesso negato o file di sola lettura.";
    case kDbNotADatabase:
      return "Il file " + database + " non è un database riconosciuto.";
    case kDbTableNotFound:
      return "Impossibile trovare la tabella " + quoted + ".";
    case kDbUnknownColumn:
      return "L'istruzione INSERT INTO contiene il campo sconosciuto " + quoted + ".";
    case kDbSyntaxError:
      return "Errore di sintassi nell'istruzione SQL: " + subject + ".";
    case kDbTypeMismatch:
      return "Tipo di dati non corrispondente per il campo " + quoted + ".";
    case kDbUnknownField:
      return "Elemento non trovato in questo insieme: il campo " + quoted + " non esiste.";
    case kDbFieldValue:
      return "Errore di conversione del tipo di dati: il campo " + quoted +
             " non accetta il valore dato.";
    case kDbUpdateWithoutAddNew:
      return "Update senza AddNew: nessun nuovo record da salvare.";
    case kDbObjectClosed:
      return "Oggetto non valido o non più impostato: è già stato chiuso.";
    case kDbDiskError:
      return "Errore del disco nell'accesso al database: " + subject + ".";
    case kDbCannotConnect:
      return "Impossibile connettersi al server del database: " + subject + ".";
    case kDbConnectionLost:
      return "La connessione al server del database è stata persa: " + subject + ".";
    case kDbTextTooLong:
      return "Il testo è troppo lungo per il campo " + quoted + ".";
    case kDbNumberOutOfRange:
      return "Il numero è fuori dall'intervallo ammesso dal campo " + quoted + ".";
    default:
      return "Errore del motore di database: " + subject + ".";
  }
}

void RaiseDatabaseError(int32_t number, const std::string& subject) {
  throw AutomationError(number, DatabaseErrorDescription(number, subject));
}

void RaiseMissingRights(const std::string& shown, const std::string& role, const std::string& table,
                        const std::string& rights) {
  const bool one = rights.find(',') == std::string::npos;
  throw AutomationError(
      kDbCannotOpen, DatabaseErrorDescription(kDbCannotOpen, shown) + " Il ruolo " + role +
                         (one ? " non ha il permesso " : " non ha i permessi ") + rights +
                         " sulla tabella " + table + ": un amministratore " + (one ? "lo" : "li") +
                         " concede con GRANT " + rights + " ON " + table + " TO " + role + ".");
}

std::string OneLine(const std::string& message) {
  std::string line;
  for (char c : message) {
    const bool blank = c == '\n' || c == '\r' || c == '\t' || c == ' ';
    if (!blank) {
      line += c;
    } else if (!line.empty() && line.back() != ' ') {
      line += ' ';
    }
  }
  if (!line.empty() && line.back() == ' ') line.pop_back();
  return line;
}

}  // namespace viruzedi
