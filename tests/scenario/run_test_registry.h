#pragma once
// The method registry for the scenario run tests, made in its own file: the statistics headers
// and the combination list's header cannot share a translation unit.
#include <memory>

#include "core/records.h"
#include "core/settings.h"

namespace tavlora {
class TStatList;
namespace test {

// A rebuilt registry over the settings and the draws.
std::shared_ptr<TStatList> makeRegistry(const TSettings& settings, const TDrawsArray& draws);

}  // namespace test
}  // namespace tavlora
