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

// Shown by the reader program imports when the reader sent nothing.
inline constexpr const char kNessunDatoRicevuto[] =
    "Non dato è stato ricevuto dal lettore con viruzedi.";
inline constexpr const char kTitoloLetturaDati[] = "Lettura dati...";

}  // namespace viruzedi
