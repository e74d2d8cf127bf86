// The descriptions of the database engine's errors, in the component's own
// words. Every engine failure is raised through here, so the texts live in
// one place.
#pragma once

#include <cstdint>
#include <string>

namespace viruzedi {

// The description of an engine error number; `subject` is what the text
// names (a file, a table, a field, the reason of a syntax error).
std::string DatabaseErrorDescription(int32_t number, const std::string& subject);

// Throws AutomationError{number, DatabaseErrorDescription(number, subject)}.
[[noreturn]] void RaiseDatabaseError(int32_t number, const std::string& subject = "");

// Throws the 3051 of a server role that lacks `rights` ("INSERT", or
// "SELECT, UPDATE") on `table` of the database `shown` (its password masked
// already): the standard description, then what is missing and the GRANT
// that gives it.
[[noreturn]] void RaiseMissingRights(const std::string& shown, const std::string& role,
                                     const std::string& table, const std::string& rights);

// An engine's message on one line: line ends, tabs and runs of blanks
// become single spaces, none left at its end.
std::string OneLine(const std::string& message);

// Reasons of syntax error 3134 (the `subject` of that error).
namespace syntax {
inline constexpr const char* kExpectedInsertInto = "atteso 'Insert Into'";
inline constexpr const char* kExpectedTable = "atteso il nome della tabella";
inline constexpr const char* kExpectedColumnList = "attesa la lista dei campi tra parentesi";
inline constexpr const char* kExpectedColumn = "atteso il nome di un campo";
inline constexpr const char* kExpectedCommaOrParenthesis = "attesi ',' o ')' nella lista dei campi";
inline constexpr const char* kExpectedSelect = "atteso 'Select'";
inline constexpr const char* kExpectedValue =
    "atteso un valore (testo tra apici, numero, #data# o Null)";
inline constexpr const char* kUnterminatedText = "testo senza l'apice di chiusura";
inline constexpr const char* kUnterminatedName = "nome senza la parentesi ']' di chiusura";
inline constexpr const char* kBadNumber = "numero non valido";
inline constexpr const char* kBadDate = "data non valida (attesa #mm/gg/aaaa#)";
inline constexpr const char* kTrailingText = "testo dopo la fine dell'istruzione";
inline constexpr const char* kValueCount =
    "il numero dei valori non corrisponde al numero dei campi";
inline constexpr const char* kRepeatedColumn = "campo ripetuto nella lista";
inline constexpr const char* kRecordsetSource =
    "origine del recordset non accettata (solo 'Select * from <tabella>')";
}  // namespace syntax

}  // namespace viruzedi
