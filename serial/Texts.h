// What the pen download says and sends: the reader's dialogue and the texts
// shown to the person at the workstation, kept exactly.
#pragma once

namespace viruzedi {

// The table the reads go to and the columns they fill (code, sub-order,
// lot, quantity), checked before the first request so that a wrong database
// never costs a read.
inline constexpr const char kTabellaLetture[] = "Viruzedi";
inline constexpr const char* kColonneLetture[] = {"Codart", "id sottoOrd", "IdLotto", "Quantità"};

// The request for the next read, sent with no terminator.
inline constexpr const char kRichiestaLettura[] = "c";
// The answer that says no reads are left (compared without regard to case).
inline constexpr const char kNessunaLettura[] = "EMPTY";

// The reader did not answer in time.
inline constexpr const char kTestoTimeOut[] =
    "Controllare il collegamento con la penna ottica e le impostazioni della porta seriale.";
inline constexpr const char kTitoloTimeOut[] = "TimeOut Error";

// Any other failure: the caption is this text and the failure's number; the
// text is the failure's description, except for a port held by another
// program, which gets a text of its own.
inline constexpr const char kTestoPortaOccupata[] =
    "La porta selezionata risulta già aperta da un altro programma.";

// The recovery file in the download folder: what the pen sent and the
// download could not store, one line each, as the pen sent it.
inline constexpr const char kFileNonSalvate[] = "Penna_non_salvate.txt";
// The sentence added to a failure's message (WithSentence): the file that
// now holds the read, or the read itself when that file cannot be written.
inline constexpr const char kSalvataNelFile[] =
    "I caratteri ricevuti e non salvati sono stati aggiunti al file ";
inline constexpr const char kNonSalvata[] =
    "I caratteri ricevuti e non salvati (il file di recupero non si può scrivere) sono: ";


}  // namespace viruzedi
