// The table of GS1 application identifiers, compiled in.
//
// How to update it: GS1 publishes its Barcode Syntax Dictionary, one entry
// per AI or range of AIs, each with the components of its value. Take each
// entry into one row here, in the dictionary's order (lexical, which a test
// checks along with the table being free of overlaps):
//  - the AI, or the range "first-last";
//  - each component in turn: "N" is Digits, "X" Set82, "Y" Set39, "Z" Set64;
//    a fixed length "N6" is Digits(6), "N..20" is DigitsUpTo(20); a
//    component in brackets "[N..12]" is Optional(DigitsUpTo(12));
//  - of its checks, "csum" becomes kCheckDigit, "yymmd0" kDateDay0,
//    "yymmdd" kDate and "yyyymmdd" kLongDate; the others (country and
//    currency codes, IBAN, times, alphanumeric check pairs, company prefix
//    positions, percent-encoding...) are not checked here and are left out;
//  - the flags and the association rules (req=, ex=, dlpkey) are left out:
//    the label import checks the four AIs it needs itself.
// The title follows each row as a comment.
#include "gs1/ApplicationIdentifiers.h"

#include <algorithm>

namespace viruzedi {

namespace {

using enum Gs1Characters;
using enum Gs1Check;

constexpr Gs1Part Digits(uint8_t length, Gs1Check check = kNone) {
  return {kDigits, length, length, check, false};
}
constexpr Gs1Part DigitsUpTo(uint8_t length) { return {kDigits, 1, length, kNone, false}; }
constexpr Gs1Part Set82(uint8_t length) { return {kSet82, length, length, kNone, false}; }
constexpr Gs1Part Set82UpTo(uint8_t length) { return {kSet82, 1, length, kNone, false}; }
constexpr Gs1Part Set39UpTo(uint8_t length) { return {kSet39, 1, length, kNone, false}; }
constexpr Gs1Part Set64UpTo(uint8_t length) { return {kSet64, 1, length, kNone, false}; }
constexpr Gs1Part Optional(Gs1Part part) {
  part.optional = true;
  return part;
}

constexpr Gs1Identifier kTable[] = {
    {"00", {Digits(18, kCheckDigit)}},                                    // SSCC
    {"01", {Digits(14, kCheckDigit)}},                                    // GTIN
    {"02", {Digits(14, kCheckDigit)}},                                    // CONTENT
    {"03", {Digits(14, kCheckDigit)}},                                    // MTO GTIN
    {"10", {Set82UpTo(20)}},                                              // BATCH/LOT
    {"11", {Digits(6, kDateDay0)}},                                       // PROD DATE
    {"12", {Digits(6, kDateDay0)}},                                       // DUE DATE
    {"13", {Digits(6, kDateDay0)}},                                       // PACK DATE
    {"15", {Digits(6, kDateDay0)}},                                       // BEST BEFORE
    {"16", {Digits(6, kDateDay0)}},                                       // SELL BY
    {"17", {Digits(6, kDateDay0)}},                                       // USE BY or EXPIRY
    {"20", {Digits(2)}},                                                  // VARIANT
    {"21", {Set82UpTo(20)}},                                              // SERIAL
    {"22", {Set82UpTo(20)}},                                              // CPV
    {"235", {Set82UpTo(28)}},                                             // TPX
    {"240", {Set82UpTo(30)}},                                             // ADDITIONAL ID
    {"241", {Set82UpTo(30)}},                                             // CUST. PART No.
    {"242", {DigitsUpTo(6)}},                                             // MTO VARIANT
    {"243", {Set82UpTo(20)}},                                             // PCN
    {"250", {Set82UpTo(30)}},                                             // SECONDARY SERIAL
    {"251", {Set82UpTo(30)}},                                             // REF. TO SOURCE
    {"253", {Digits(13, kCheckDigit), Optional(Set82UpTo(17))}},          // GDTI
    {"254", {Set82UpTo(20)}},                                             // GLN EXTENSION
    {"255", {Digits(13, kCheckDigit), Optional(DigitsUpTo(12))}},         // GCN
    {"30", {DigitsUpTo(8)}},                                              // VAR. COUNT
    // Trade and logistic measures, the last digit of the AI placing the
    // decimal point.
    {"3100-3105", {Digits(6)}}, {"3110-3115", {Digits(6)}}, {"3120-3125", {Digits(6)}},
    {"3130-3135", {Digits(6)}}, {"3140-3145", {Digits(6)}}, {"3150-3155", {Digits(6)}},
    {"3160-3165", {Digits(6)}}, {"3200-3205", {Digits(6)}}, {"3210-3215", {Digits(6)}},
    {"3220-3225", {Digits(6)}}, {"3230-3235", {Digits(6)}}, {"3240-3245", {Digits(6)}},
    {"3250-3255", {Digits(6)}}, {"3260-3265", {Digits(6)}}, {"3270-3275", {Digits(6)}},
    {"3280-3285", {Digits(6)}}, {"3290-3295", {Digits(6)}}, {"3300-3305", {Digits(6)}},
    {"3310-3315", {Digits(6)}}, {"3320-3325", {Digits(6)}}, {"3330-3335", {Digits(6)}},
    {"3340-3345", {Digits(6)}}, {"3350-3355", {Digits(6)}}, {"3360-3365", {Digits(6)}},
    {"3370-3375", {Digits(6)}}, {"3400-3405", {Digits(6)}}, {"3410-3415", {Digits(6)}},
    {"3420-3425", {Digits(6)}}, {"3430-3435", {Digits(6)}}, {"3440-3445", {Digits(6)}},
    {"3450-3455", {Digits(6)}}, {"3460-3465", {Digits(6)}}, {"3470-3475", {Digits(6)}},
    {"3480-3485", {Digits(6)}}, {"3490-3495", {Digits(6)}}, {"3500-3505", {Digits(6)}},
    {"3510-3515", {Digits(6)}}, {"3520-3525", {Digits(6)}}, {"3530-3535", {Digits(6)}},
    {"3540-3545", {Digits(6)}}, {"3550-3555", {Digits(6)}}, {"3560-3565", {Digits(6)}},
    {"3570-3575", {Digits(6)}}, {"3600-3605", {Digits(6)}}, {"3610-3615", {Digits(6)}},
    {"3620-3625", {Digits(6)}}, {"3630-3635", {Digits(6)}}, {"3640-3645", {Digits(6)}},
    {"3650-3655", {Digits(6)}}, {"3660-3665", {Digits(6)}}, {"3670-3675", {Digits(6)}},
    {"3680-3685", {Digits(6)}}, {"3690-3695", {Digits(6)}},
    {"37", {DigitsUpTo(8)}},                                              // COUNT
    {"3900-3909", {DigitsUpTo(15)}},                                      // AMOUNT
    {"3910-3919", {Digits(3), DigitsUpTo(15)}},                           // AMOUNT, currency
    {"3920-3929", {DigitsUpTo(15)}},                                      // PRICE
    {"3930-3939", {Digits(3), DigitsUpTo(15)}},                           // PRICE, currency
    {"3940-3943", {Digits(4)}},                                           // PRCNT OFF
    {"3950-3955", {Digits(6)}},                                           // PRICE/UoM
    {"400", {Set82UpTo(30)}},                                             // ORDER NUMBER
    {"401", {Set82UpTo(30)}},                                             // GINC
    {"402", {Digits(17, kCheckDigit)}},                                   // GSIN
    {"403", {Set82UpTo(30)}},                                             // ROUTE
    {"410", {Digits(13, kCheckDigit)}},                                   // SHIP TO LOC
    {"411", {Digits(13, kCheckDigit)}},                                   // BILL TO
    {"412", {Digits(13, kCheckDigit)}},                                   // PURCHASE FROM
    {"413", {Digits(13, kCheckDigit)}},                                   // SHIP FOR LOC
    {"414", {Digits(13, kCheckDigit)}},                                   // LOC No.
    {"415", {Digits(13, kCheckDigit)}},                                   // PAY TO
    {"416", {Digits(13, kCheckDigit)}},                                   // PROD/SERV LOC
    {"417", {Digits(13, kCheckDigit)}},                                   // PARTY
    {"420", {Set82UpTo(20)}},                                             // SHIP TO POST
    {"421", {Digits(3), Set82UpTo(9)}},                                   // SHIP TO POST
    {"422", {Digits(3)}},                                                 // ORIGIN
    {"423", {Digits(3), Optional(Digits(3)), Optional(Digits(3)), Optional(Digits(3)),
             Optional(Digits(3))}},                                       // COUNTRY - INITIAL PROCESS
    {"424", {Digits(3)}},                                                 // COUNTRY - PROCESS
    {"425", {Digits(3), Optional(Digits(3)), Optional(Digits(3)), Optional(Digits(3)),
             Optional(Digits(3))}},                                       // COUNTRY - DISASSEMBLY
    {"426", {Digits(3)}},                                                 // COUNTRY - FULL PROCESS
    {"427", {Set82UpTo(3)}},                                              // ORIGIN SUBDIVISION
    {"4300", {Set82UpTo(35)}},                                            // SHIP TO COMP
    {"4301", {Set82UpTo(35)}},                                            // SHIP TO NAME
    {"4302", {Set82UpTo(70)}},                                            // SHIP TO ADD1
    {"4303", {Set82UpTo(70)}},                                            // SHIP TO ADD2
    {"4304", {Set82UpTo(70)}},                                            // SHIP TO SUB
    {"4305", {Set82UpTo(70)}},                                            // SHIP TO LOC
    {"4306", {Set82UpTo(70)}},                                            // SHIP TO REG
    {"4307", {Set82(2)}},                                                 // SHIP TO COUNTRY
    {"4308", {Set82UpTo(30)}},                                            // SHIP TO PHONE
    {"4309", {Digits(10), Digits(10)}},                                   // SHIP TO GEO
    {"4310", {Set82UpTo(35)}},                                            // RTN TO COMP
    {"4311", {Set82UpTo(35)}},                                            // RTN TO NAME
    {"4312", {Set82UpTo(70)}},                                            // RTN TO ADD1
    {"4313", {Set82UpTo(70)}},                                            // RTN TO ADD2
    {"4314", {Set82UpTo(70)}},                                            // RTN TO SUB
    {"4315", {Set82UpTo(70)}},                                            // RTN TO LOC
    {"4316", {Set82UpTo(70)}},                                            // RTN TO REG
    {"4317", {Set82(2)}},                                                 // RTN TO COUNTRY
    {"4318", {Set82UpTo(20)}},                                            // RTN TO POST
    {"4319", {Set82UpTo(30)}},                                            // RTN TO PHONE
    {"4320", {Set82UpTo(35)}},                                            // SRV DESCRIPTION
    {"4321", {Digits(1)}},                                                // DANGEROUS GOODS
    {"4322", {Digits(1)}},                                                // AUTH TO LEAVE
    {"4323", {Digits(1)}},                                                // SIG REQUIRED
    {"4324", {Digits(6, kDateDay0), Digits(4)}},                          // NOT BEF DEL DT
    {"4325", {Digits(6, kDateDay0), Digits(4)}},                          // NOT AFT DEL DT
    {"4326", {Digits(6, kDate)}},                                         // REL DATE
    {"4330", {Digits(6), Optional(Set82(1))}},                            // MAX TEMP F.
    {"4331", {Digits(6), Optional(Set82(1))}},                            // MAX TEMP C.
    {"4332", {Digits(6), Optional(Set82(1))}},                            // MIN TEMP F.
    {"4333", {Digits(6), Optional(Set82(1))}},                            // MIN TEMP C.
    {"7001", {Digits(13)}},                                               // NSN
    {"7002", {Set82UpTo(30)}},                                            // MEAT CUT
    {"7003", {Digits(6, kDate), Digits(4)}},                              // EXPIRY TIME
    {"7004", {DigitsUpTo(4)}},                                            // ACTIVE POTENCY
    {"7005", {Set82UpTo(12)}},                                            // CATCH AREA
    {"7006", {Digits(6, kDate)}},                                         // FIRST FREEZE DATE
    {"7007", {Digits(6, kDate), Optional(Digits(6, kDate))}},             // HARVEST DATE
    {"7008", {Set82UpTo(3)}},                                             // AQUATIC SPECIES
    {"7009", {Set82UpTo(10)}},                                            // FISHING GEAR TYPE
    {"7010", {Set82UpTo(2)}},                                             // PROD METHOD
    {"7011", {Digits(6, kDate), Optional(Digits(4))}},                    // TEST BY DATE
    {"7020", {Set82UpTo(20)}},                                            // REFURB LOT
    {"7021", {Set82UpTo(20)}},                                            // FUNC STAT
    {"7022", {Set82UpTo(20)}},                                            // REV STAT
    {"7023", {Set82UpTo(30)}},                                            // GIAI - ASSEMBLY
    {"7030", {Digits(3), Set82UpTo(27)}},                                 // PROCESSOR # 0
    {"7031", {Digits(3), Set82UpTo(27)}},                                 // PROCESSOR # 1
    {"7032", {Digits(3), Set82UpTo(27)}},                                 // PROCESSOR # 2
    {"7033", {Digits(3), Set82UpTo(27)}},                                 // PROCESSOR # 3
    {"7034", {Digits(3), Set82UpTo(27)}},                                 // PROCESSOR # 4
    {"7035", {Digits(3), Set82UpTo(27)}},                                 // PROCESSOR # 5
    {"7036", {Digits(3), Set82UpTo(27)}},                                 // PROCESSOR # 6
    {"7037", {Digits(3), Set82UpTo(27)}},                                 // PROCESSOR # 7
    {"7038", {Digits(3), Set82UpTo(27)}},                                 // PROCESSOR # 8
    {"7039", {Digits(3), Set82UpTo(27)}},                                 // PROCESSOR # 9
    {"7040", {Digits(1), Set82(1), Set82(1), Set82(1)}},                  // UIC+EXT
    {"7041", {Set82UpTo(4)}},                                             // UFRGT UNIT TYPE
    {"710", {Set82UpTo(20)}},                                             // NHRN PZN
    {"711", {Set82UpTo(20)}},                                             // NHRN CIP
    {"712", {Set82UpTo(20)}},                                             // NHRN CN
    {"713", {Set82UpTo(20)}},                                             // NHRN DRN
    {"714", {Set82UpTo(20)}},                                             // NHRN AIM
    {"715", {Set82UpTo(20)}},                                             // NHRN NDC
    {"716", {Set82UpTo(20)}},                                             // NHRN AIC
    {"7230", {Set82(2), Set82UpTo(28)}},                                  // CERT # 1
    {"7231", {Set82(2), Set82UpTo(28)}},                                  // CERT # 2
    {"7232", {Set82(2), Set82UpTo(28)}},                                  // CERT # 3
    {"7233", {Set82(2), Set82UpTo(28)}},                                  // CERT # 4
    {"7234", {Set82(2), Set82UpTo(28)}},                                  // CERT # 5
    {"7235", {Set82(2), Set82UpTo(28)}},                                  // CERT # 6
    {"7236", {Set82(2), Set82UpTo(28)}},                                  // CERT # 7
    {"7237", {Set82(2), Set82UpTo(28)}},                                  // CERT # 8
    {"7238", {Set82(2), Set82UpTo(28)}},                                  // CERT # 9
    {"7239", {Set82(2), Set82UpTo(28)}},                                  // CERT # 10
    {"7240", {Set82UpTo(20)}},                                            // PROTOCOL
    {"7241", {Digits(2)}},                                                // AIDC MEDIA TYPE
    {"7242", {Set82UpTo(25)}},                                            // VCN
    {"7250", {Digits(8, kLongDate)}},                                     // DOB
    {"7251", {Digits(8, kLongDate), Digits(4)}},                          // DOB TIME
    {"7252", {Digits(1)}},                                                // BIO SEX
    {"7253", {Set82UpTo(40)}},                                            // FAMILY NAME
    {"7254", {Set82UpTo(40)}},                                            // GIVEN NAME
    {"7255", {Set82UpTo(10)}},                                            // SUFFIX
    {"7256", {Set82UpTo(90)}},                                            // FULL NAME
    {"7257", {Set82UpTo(70)}},                                            // PERSON ADDR
    {"7258", {Set82(3)}},                                                 // BIRTH SEQUENCE
    {"7259", {Set82UpTo(40)}},                                            // BABY
    {"8001", {Digits(4), Digits(5), Digits(3), Digits(1), Digits(1)}},    // DIMENSIONS
    {"8002", {Set82UpTo(20)}},                                            // CMT No.
    {"8003", {Digits(1), Digits(13, kCheckDigit), Optional(Set82UpTo(16))}},  // GRAI
    {"8004", {Set82UpTo(30)}},                                            // GIAI
    {"8005", {Digits(6)}},                                                // PRICE PER UNIT
    {"8006", {Digits(14, kCheckDigit), Digits(4)}},                       // ITIP
    {"8007", {Set82UpTo(34)}},                                            // IBAN
    {"8008", {Digits(6, kDate), Digits(2), Optional(Digits(2)), Optional(Digits(2))}},  // PROD TIME
    {"8009", {Set82UpTo(50)}},                                            // OPTSEN
    {"8010", {Set39UpTo(30)}},                                            // CPID
    {"8011", {DigitsUpTo(12)}},                                           // CPID SERIAL
    {"8012", {Set82UpTo(20)}},                                            // VERSION
    {"8013", {Set82UpTo(25)}},                                            // GMN
    {"8014", {Set82UpTo(25)}},                                            // MUDI
    {"8017", {Digits(18, kCheckDigit)}},                                  // GSRN - PROVIDER
    {"8018", {Digits(18, kCheckDigit)}},                                  // GSRN - RECIPIENT
    {"8019", {DigitsUpTo(10)}},                                           // SRIN
    {"8020", {Set82UpTo(25)}},                                            // REF No.
    {"8026", {Digits(14, kCheckDigit), Digits(4)}},                       // ITIP CONTENT
    {"8030", {Set64UpTo(90)}},                                            // DIGSIG
    {"8110", {Set82UpTo(70)}},                                            // coupon code
    {"8111", {Digits(4)}},                                                // POINTS
    {"8112", {Set82UpTo(70)}},                                            // paperless coupon
    {"8200", {Set82UpTo(70)}},                                            // PRODUCT URL
    {"90", {Set82UpTo(30)}},                                              // INTERNAL
    {"91-99", {Set82UpTo(90)}},                                           // INTERNAL
};

constexpr int DigitValue(char c) { return c - '0'; }
constexpr bool IsDigit(char c) { return c >= '0' && c <= '9'; }

constexpr int Number(std::string_view digits) {
  int number = 0;
  for (char c : digits) number = number * 10 + DigitValue(c);
  return number;
}

// An entry of the index: the AI's digits above this bit, its row + 1 below
// (0: no AI).
constexpr unsigned kLengthShift = 12;
static_assert(std::size(kTable) < (1u << kLengthShift));

// Which row each four-digit start belongs to, and how many of its digits
// the AI is; made by the compiler, since every element of every label
// looks here. AIs are two to four digits and none is the start of another,
// so every start of four digits names at most one AI.
constexpr std::array<uint16_t, 10000> StartIndex() {
  std::array<uint16_t, 10000> index{};
  for (size_t row = 0; row < std::size(kTable); ++row) {
    const std::string_view identifiers = kTable[row].Identifiers();
    const size_t dash = identifiers.find('-');
    const std::string_view first = identifiers.substr(0, dash);
    const std::string_view last =
        dash == std::string_view::npos ? first : identifiers.substr(dash + 1);
    int scale = 1;
    for (size_t i = first.size(); i < 4; ++i) scale *= 10;
    const auto entry = static_cast<uint16_t>(first.size() << kLengthShift | (row + 1));
    for (int ai = Number(first); ai <= Number(last); ++ai) {
      std::fill_n(index.begin() + ai * scale, scale, entry);
    }
  }
  return index;
}

constexpr std::array<uint16_t, 10000> kStartIndex = StartIndex();

}  // namespace

std::span<const Gs1Identifier> Gs1Identifiers() { return kTable; }

const Gs1Identifier* Gs1IdentifierAtStart(std::string_view text, size_t& length) {
  size_t digits = 0;
  int start = 0;
  for (; digits < 4 && digits < text.size() && IsDigit(text[digits]); ++digits) {
    start = start * 10 + DigitValue(text[digits]);
  }
  if (digits < 2) return nullptr;
  for (size_t i = digits; i < 4; ++i) start *= 10;
  const uint16_t entry = kStartIndex[static_cast<size_t>(start)];
  const size_t row = entry & ((1u << kLengthShift) - 1);
  const size_t aiLength = entry >> kLengthShift;
  if (row == 0 || aiLength > digits) return nullptr;
  length = aiLength;
  return &kTable[row - 1];
}

const Gs1Identifier* FindGs1Identifier(std::string_view ai) {
  size_t length = 0;
  const Gs1Identifier* identifier = Gs1IdentifierAtStart(ai, length);
  return identifier != nullptr && length == ai.size() ? identifier : nullptr;
}

}  // namespace viruzedi
