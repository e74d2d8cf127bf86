// What the pen download says and sends: the reader's dialogue and the texts
// shown to the person at the workstation, kept exactly.
#pragma once

namespace viruzedi {

// The request for the next read, sent with no terminator.
inline constexpr const char kRichiestaLettura[] = "c";
// The answer that says no reads are left (compared without regard to case).
inline constexpr const char kNessunaLettura[] = "EMPTY";

// Per read: this text, then the values of the read.
inline constexpr const char kInizioIstruzione[] =
    "Insert Into Viruzedi (Codart,[id sottoOrd],IdLotto,Quantità) Select '";

// The reader did not answer in time.
inline constexpr const char kTestoTimeOut[] =
    "Controllare il collegamento con la penna ottica e le impostazioni della porta seriale.";
inline constexpr const char kTitoloTimeOut[] = "TimeOut Error";

// Any other failure: the caption is this text and the failure's number; the
// text is the failure's description, except for a port held by another
// program, which gets a text of its own.
inline constexpr const char kTitoloErrore[] = "Errore n. ";
inline constexpr const char kTestoPortaOccupata[] =
    "La porta selezionata risulta già aperta da un altro programma.";

}  // namespace viruzedi
