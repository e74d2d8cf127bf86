// Texts of the reader program imports that only they show (the no-data
// message is shared, in component/Messages.h).
#pragma once

namespace viruzedi {

// Added to every failure after the reader program ran: the reader file with
// this run's reads, so the operator can import it (`viruzedi importa`)
// before the next run replaces it; or a file the run did not change, which
// holds no read of this run (an earlier run's, perhaps stored already).
// Each is a sentence joined to the failure's description by WithSentence.
inline constexpr const char kFileLettureNonImportato[] = "File delle letture non importato: ";
inline constexpr const char kFileLettureInvariato[] =
    "Il file delle letture non è cambiato in questa esecuzione: ";
inline constexpr const char kFileLettureAssente[] = "Nessun file delle letture: ";

// Why a path cannot reach the reader program, after the error's own text
// and before the path.
inline constexpr const char kVirgoletteNelFile[] =
    "il nome del file delle letture non può contenere le virgolette (\"), che la riga di "
    "comando del programma del lettore non sa passare: ";
inline constexpr const char kVirgoletteNellaCartella[] =
    "la cartella del programma del lettore non può contenere le virgolette (\"), che la sua "
    "riga di comando non sa passare: ";

// What the reader program's end says, after the error's own text.
inline constexpr const char kArgomentiRifiutati[] = "il programma del lettore ha rifiutato i suoi argomenti";
inline constexpr const char kPortaNonAperta[] = "il programma del lettore non ha potuto aprire la porta ";
inline constexpr const char kPortaOccupata[] = "la porta è usata da un altro programma: ";
inline constexpr const char kTerminatoConStato[] = "il programma del lettore è terminato con lo stato ";
inline constexpr const char kTerminatoDalSegnale[] = "il programma del lettore è stato terminato dal segnale ";

// A label whose row cannot be stored: what it lacks, and, after the
// bad-code warning and the line, the reason.
inline constexpr const char kManca[] = "manca ";
inline constexpr const char kMotivo[] = ". Motivo: ";
// Where the lines set aside are kept, in the download folder, one block per
// reader file headed by its waiting name and fingerprint.
inline constexpr const char kFileEtichetteScartate[] = "Etichette_scartate.txt";

}  // namespace viruzedi
