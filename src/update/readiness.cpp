#include "update/readiness.h"

#include <algorithm>
#include <iterator>

#include "link/unit_device.h"
#include "link/unit_identity.h"

namespace {

bool isCompatibleEsc(std::uint32_t typeCode) {
  return std::find(std::begin(kCompatibleTypeCodes), std::end(kCompatibleTypeCodes), typeCode) !=
         std::end(kCompatibleTypeCodes);
}

}  // namespace

Readiness classifyReadiness(std::int32_t discoverResult) {
  if (discoverResult != 0) return Readiness::NoUnit;
  if (unitDevice.unitMode != 0) return Readiness::WrongMode;
  if (unitDevice.escState != kUpdatableEscState) return Readiness::NoUpdatableEsc;
  if (!isCompatibleEsc(unitDevice.escTypeCode())) return Readiness::EscIncompatible;
  return Readiness::Ready;
}

const char* readinessName(Readiness readiness) {
  switch (readiness) {
    case Readiness::NoUnit: return "NoUnit";
    case Readiness::WrongMode: return "WrongMode";
    case Readiness::NoUpdatableEsc: return "NoUpdatableEsc";
    case Readiness::EscIncompatible: return "EscIncompatible";
    case Readiness::Ready: break;
  }
  return "Ready";
}
