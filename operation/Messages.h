// Texts that more than one subsystem shows. Each subsystem keeps its own
// texts in one place of its own folder.
#pragma once

namespace viruzedi {

// Shown, with the critical icon, once per rejected line or record; the
// import then goes on.
inline constexpr const char kAvvisoCodiceErrato[] =
    "E' stato trovato un codice errato. Il programma continuerà a scaricare "
    "il rimanente del contenuto.";
inline constexpr const char kTitoloAttenzione[] = "Attenzione!";
// No caption of its own: the box shows the component's default caption
// ("Viruzedi11600"). The infrared download's boxes have always had it.
inline constexpr const char kTitoloPredefinito[] = "";
// The caption of the pen's failure box, followed by the failure's number.
inline constexpr const char kTitoloErrore[] = "Errore n. ";

// Why an import by hand (`viruzedi importa`) refuses a file, each followed by
// the file's path.
inline constexpr const char kFileArchiviato[] =
    "Il file è già stato importato e poi archiviato, come dice il suo nome: ";
inline constexpr const char kFileInLavorazione[] =
    "Uno scarico o un'altra importazione sta lavorando sul file (riprovare quando avrà "
    "finito): ";
inline constexpr const char kFilePresoDaAltri[] =
    "Un'altra importazione ha appena preso il file: ";

// Shown by the reader program imports when the reader sent nothing.
inline constexpr const char kNessunDatoRicevuto[] =
    "Non dato è stato ricevuto dal lettore con viruzedi.";
inline constexpr const char kTitoloLetturaDati[] = "Lettura dati...";

// importa's refusal of a file given a format it is not of (FormatOfFile.h):
// FILE + kNonDelFormato + the format + ": " + why + kRestaInAttesa.
inline constexpr const char kNonDelFormato[] = " non è un file del formato ";
inline constexpr const char kRestaInAttesa[] =
    ". Il file resta com'era, in attesa: viruzedi in-attesa indica il formato di ogni file in "
    "attesa.";
// The reasons why.
inline constexpr const char kNomeDelFormato[] = "il suo nome è di un file del formato ";
inline constexpr const char kNomeNonDiFileRicevuto[] =
    "il suo nome non è quello di un file ricevuto dal terminale per quel formato";
inline constexpr const char kNessunaRigaDelFormato[] =
    "nessuna sua riga è una riga di quel formato";

}  // namespace viruzedi
