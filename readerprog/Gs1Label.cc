#include "readerprog/Gs1Label.h"

#include "base/Text.h"
#include "database/Database.h"
#include "gs1/ElementString.h"
#include "readerprog/ReaderProgramTexts.h"

namespace viruzedi {

Gs1ReaderLine SplitGs1ReaderLine(std::string_view line) {
  const size_t semicolon = line.rfind(';');
  if (semicolon == std::string_view::npos) return {line, {}};
  return {line.substr(0, semicolon), line.substr(semicolon + 1)};
}

CalendarDate Gs1Date(std::string_view value) {
  const int year = 2000 + (value[0] - '0') * 10 + (value[1] - '0');
  const int month = (value[2] - '0') * 10 + (value[3] - '0');
  const int day = (value[4] - '0') * 10 + (value[5] - '0');
  return {year, month, day == 0 ? DaysInMonth(year, month) : day};
}

std::string DecodeGs1Label(std::string_view text, Gs1Label& label) {
  const Gs1Reading reading = ReadGs1Label(TrimSpaces(text));
  if (!reading.Read()) return reading.refusal;
  const std::string* gtin = reading.ValueOf("02");
  const std::string* count = reading.ValueOf("37");
  const std::string* batch = reading.ValueOf("10");
  const std::string* date = reading.ValueOf("15");
  if (date == nullptr) date = reading.ValueOf("17");
  if (gtin == nullptr) return std::string(kManca) + "(02)";
  if (count == nullptr) return std::string(kManca) + "(37)";
  if (batch == nullptr) return std::string(kManca) + "(10)";
  if (date == nullptr) return std::string(kManca) + "(15) o (17)";
  label.Codart = gtin->substr(10, 3);
  label.NColli = *count;
  label.LottoCodice = *batch;
  label.Scadenza = Gs1Date(*date);
  const std::string* sscc = reading.ValueOf("00");
  label.SSCC = sscc ? *sscc : std::string();
  return "";
}

void AppendGs1Row(Recordset& records, const Gs1Label& label, const std::string& sscc) {
  records.AddNew();
  records.SetCollect("Codart", label.Codart);
  records.SetCollect("Data", label.Scadenza);
  records.SetCollect("NColli", label.NColli);
  records.SetCollect("Lotto_Codice", label.LottoCodice);
  records.SetCollect("Lotto_Scadenza", label.Scadenza);
  records.SetCollect("SSCC", sscc);
  records.Update();
}

}  // namespace viruzedi
