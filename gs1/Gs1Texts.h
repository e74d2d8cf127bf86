// Why a GS1 label is refused: the reasons the label import and
// `viruzedi gs1` show, each after the label or the element it is about.
#pragma once

namespace viruzedi {

// The label as a whole.
inline constexpr const char kEtichettaVuota[] = "etichetta vuota";
inline constexpr const char kFormaSconosciuta[] =
    "non è una stringa di elementi GS1 (né tra parentesi, né con i separatori GS, né un "
    "indirizzo GS1 Digital Link)";
inline constexpr const char kSimbologiaNonGs1[] = "identificatore di simbologia non GS1: ";
inline constexpr const char kSenzaDigitalLink[] = " non seguito da un indirizzo GS1 Digital Link";
inline constexpr const char kIdentificatoreSconosciuto[] =
    "identificatore di applicazione sconosciuto: ";
inline constexpr const char kNessunIdentificatore[] =
    "nessun identificatore di applicazione GS1 all'inizio di: ";
inline constexpr const char kParentesiNonChiusa[] = "parentesi non chiusa: ";
inline constexpr const char kSeparatoreFuoriPosto[] =
    "separatore GS dove era atteso un identificatore di applicazione";
inline constexpr const char kRipetutoDiverso[] = " ripetuto con un altro valore";

// A GS1 Digital Link address.
inline constexpr const char kDigitalLinkSenzaPercorso[] =
    "indirizzo Digital Link senza identificatori nel percorso";
inline constexpr const char kCodificaPercentuale[] = "codifica % non valida: ";

// One element's value, after "(AI): ".
inline constexpr const char kValoreVuoto[] = "valore vuoto";
inline constexpr const char kLunghezza[] = "lunghezza ";
inline constexpr const char kInveceDi[] = " invece di ";
inline constexpr const char kAlMassimo[] = ", al massimo ";
inline constexpr const char kAttesaDa[] = ", attesa da ";
inline constexpr const char kFinoA[] = " a ";
inline constexpr const char kCarattereNonAmmesso[] = "carattere non ammesso ";
inline constexpr const char kSoloCifre[] = " (solo cifre)";
inline constexpr const char kSoloSet82[] = " (solo i caratteri GS1 del set 82)";
inline constexpr const char kSoloSet39[] = " (solo i caratteri GS1 del set 39)";
inline constexpr const char kSoloSet64[] = " (solo i caratteri base64 per URI)";
inline constexpr const char kCifraDiControllo[] = "cifra di controllo ";
inline constexpr const char kErrataAttesa[] = " errata, attesa ";
inline constexpr const char kDataImpossibile[] = "data impossibile ";

}  // namespace viruzedi
