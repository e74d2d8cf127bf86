// The public class: each operation takes the object for its run and hands
// it to the operation of its device's folder.
#include "viruzedi/Viruzedi.h"

#include "component/ObjectState.h"
#include "component/WaitingFileImport.h"
#include "infrared/InfraredOperations.h"
#include "operation/OperationBoundary.h"
#include "readerprog/ReaderOperations.h"
#include "serial/PenOperations.h"
#include "terminal/TerminalOperations.h"

namespace viruzedi {

namespace {

// Holds the object for the whole run (a second operation meanwhile is
// refused with 17, before anything happens), starts a new outcome, and runs
// `body` on the object's services and properties within the operations'
// boundary, whose `rule` says how a failure reaches the person or the host.
template <typename Body>
Variant Run(Viruzedi::State& state, FailureRule rule, Body body) {
  SharedUse::Hold hold(
      state.operationRunning,
      "un'altra operazione è in corso su questo oggetto; riprovare quando è finita");
  state.outcome = {};
  Operation operation{*state.platform, state.porta,      state.dbPath,
                      state.idUt,      state.dbSettings, state.outcome};
  RunOperation(operation, rule, [&] { body(operation); });
  return {};
}

// The four terminal file downloads differ by their format alone.
Variant FileDownload(Viruzedi::State& state, ImportFormat format) {
  return Run(state, FailureRule::kGeneralBox,
             [format](Operation& operation) { ScaricaFileTerminale(operation, format); });
}

ReaderProgramParameters Parameters(const std::string& file, int32_t PortaCOM, int32_t Baud,
                                   int32_t ModFile, bool CR, bool LF, bool MostraErrore,
                                   bool MostraFile, bool MostraMaschera, int16_t Timeout) {
  return {file, PortaCOM, Baud, ModFile, CR, LF, MostraErrore, MostraFile, MostraMaschera, Timeout};
}

}  // namespace

const char* ComponentVersion() { return kVersion; }

Viruzedi::Viruzedi() : Viruzedi(DefaultPlatform()) {}

Viruzedi::Viruzedi(std::shared_ptr<Platform> platform)
    : state_(std::make_unique<State>(std::move(platform))) {}

Viruzedi::~Viruzedi() = default;

int32_t Viruzedi::Porta() const { return state_->porta; }
void Viruzedi::Porta(int32_t value) { state_->porta = value; }
const std::string& Viruzedi::DbPath() const { return state_->dbPath; }
void Viruzedi::DbPath(std::string value) { state_->dbPath = std::move(value); }
int16_t Viruzedi::IdUt() const { return state_->idUt; }
void Viruzedi::IdUt(int16_t value) { state_->idUt = value; }
const OperationOutcome& Viruzedi::LastOutcome() const { return state_->outcome; }

Variant Viruzedi::Scarica() {
  return Run(*state_, FailureRule::kPenBox,
             [this](Operation& operation) { ScaricaPenna(operation, state_->pen); });
}

Variant Viruzedi::Scarica3() { return FileDownload(*state_, ImportFormat::kScarica3); }

Variant Viruzedi::Scarica4() { return FileDownload(*state_, ImportFormat::kScarica4); }

Variant Viruzedi::Scarica5() { return FileDownload(*state_, ImportFormat::kScarica5); }

Variant Viruzedi::Scarica_RimesseOF() {
  return FileDownload(*state_, ImportFormat::kScaricaRimesseOF);
}

Variant Viruzedi::Scarica1() { return Run(*state_, FailureRule::kGeneralBox, ScaricaInfrarossi); }

Variant Viruzedi::Upload1() { return Run(*state_, FailureRule::kThrown, CaricaFileTerminale); }

void Viruzedi::Scarica2(const std::string& PercorsoMDB, const std::string& PercorsoFile,
                        int32_t PortaCOM, int32_t Baud, int32_t ModFile, bool CR, bool LF,
                        bool MostraErrore, bool MostraFile, bool MostraMaschera, int16_t Timeout) {
  Run(*state_, FailureRule::kThrown, [&](Operation& operation) {
    ImportReaderFile(operation, PercorsoMDB,
                     Parameters(PercorsoFile, PortaCOM, Baud, ModFile, CR, LF, MostraErrore,
                                MostraFile, MostraMaschera, Timeout),
                     PlainReaderFormat());
  });
}

void Viruzedi::Scarica_ZidoriVovi(const std::string& MDB_TabellaTemp,
                                  const std::string& FileTxtTemp, int32_t PortaCOM, int32_t Baud,
                                  int32_t ModFile, bool CR, bool LF, bool MostraErrore,
                                  bool MostraFile, bool MostraMaschera, int16_t Timeout) {
  Run(*state_, FailureRule::kThrown, [&](Operation& operation) {
    ImportReaderFile(operation, MDB_TabellaTemp,
                     Parameters(FileTxtTemp, PortaCOM, Baud, ModFile, CR, LF, MostraErrore,
                                MostraFile, MostraMaschera, Timeout),
                     Gs1ReaderFormat());
  });
}

void Viruzedi::ImportaFile(const std::string& path, ImportFormat format) {
  Run(*state_, FailureRule::kThrown,
      [&](Operation& operation) { ImportaFileInAttesa(operation, path, format); });
}

}  // namespace viruzedi
