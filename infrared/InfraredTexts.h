// What the infrared download says to the reader and to the person at the
// workstation, kept in one place.
#pragma once

namespace viruzedi {

// Commands, each ended by a single CR; "SEGUE" and "RIPROVA" are followed by
// the counter text.
inline constexpr const char kComandoLeggi[] = "LEGGI1\r";
inline constexpr const char kComandoSegue[] = "SEGUE";
inline constexpr const char kComandoRiprova[] = "RIPROVA";
inline constexpr const char kComandoElimina[] = "ELIMINA\r";
inline constexpr char kFineComando = '\r';

// Replies, compared without regard to letter case.
inline constexpr const char kRispostaAck[] = "ACK";
inline constexpr const char kRispostaEof[] = "EOF";
inline constexpr char kInizioRecord = '#';
// A reply whose second character is this one is never asked for again.
inline constexpr char kNessunaRiprova = '9';

// Messages, shown with the component's default caption.
inline constexpr const char kErroreAperturaPorta[] = "Errore appertura porta, rilanciare scarico";
inline constexpr const char kErroreTimeoutHandshake[] = "Errore timeout, rilanciare lo scarico";
inline constexpr const char kErroreTimeout[] = "Errore timeout, rilanciare scarico";

// The outcome marker in the download folder, written by the failures that
// the host is meant to notice and retry.
inline constexpr const char kFileEsito[] = "TEMPFOX.TMP";
inline constexpr const char kEsitoFallito[] = "KO\r\n";

// Records the reader sent with a bad code, kept in the download folder
// before the reader is told to erase them with the rest.
inline constexpr const char kFileScartati[] = "Infrarossi_scartati.txt";

}  // namespace viruzedi
