// Texts of the reader program imports that only they show (the no-data
// message is shared, in component/Messages.h).
#pragma once

namespace viruzedi {

// Added to every failure after the reader program ran, so the operator can
// import the file (`viruzedi importa`) before the next run replaces it.
inline constexpr const char kFileLettureNonImportato[] = ". File delle letture non importato: ";

// What the reader program's end says, after the error's own text.
inline constexpr const char kArgomentiRifiutati[] = "il programma del lettore ha rifiutato i suoi argomenti";
inline constexpr const char kPortaNonAperta[] = "il programma del lettore non ha potuto aprire la porta ";
inline constexpr const char kPortaOccupata[] = "la porta è usata da un altro programma: ";
inline constexpr const char kTerminatoConStato[] = "il programma del lettore è terminato con lo stato ";
inline constexpr const char kTerminatoDalSegnale[] = "il programma del lettore è stato terminato dal segnale ";


// ", riga " between a file and a line number in the detail of a failure.
inline constexpr const char kRiga[] = ", riga ";

}  // namespace viruzedi
