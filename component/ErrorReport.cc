#include "component/ErrorReport.h"

#include <new>
#include <string>

namespace viruzedi {

AutomationError CurrentFailure() {
  try {
    throw;
  } catch (const AutomationError& error) {
    return error;
  } catch (const std::bad_alloc&) {
    return AutomationError(7, "Memoria esaurita");
  } catch (const std::exception& error) {
    return AutomationError(51, std::string("Errore interno: ") + error.what());
  } catch (...) {
    return AutomationError(51, "Errore interno");
  }
}

void ShowGeneralError(Platform& platform) {
  ShowGeneralError(platform, CurrentFailure());
}

void ShowGeneralError(Platform& platform, const AutomationError& error) {
  platform.MessageBox(error.description, kCritical, std::to_string(error.number));
}

std::string LineDetail(const std::string& path, uint64_t number, const std::string& line) {
  return path + ", riga " + std::to_string(number) + ": " + line;
}

void StopIfRequested(Platform& platform) {
  if (platform.StopRequested()) RaiseError(kUserInterrupt);
}

}  // namespace viruzedi
