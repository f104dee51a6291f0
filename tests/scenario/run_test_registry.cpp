#include "scenario/run_test_registry.h"

#include "stats/stat_list.h"

namespace tavlora::test {

std::shared_ptr<TStatList> makeRegistry(const TDrawsArray* draws) {
    auto list = std::make_shared<TStatList>(draws);
    list->rebuild();
    return list;
}

TSettings& registrySettings(TStatList& registry) { return registry.settings(); }

}  // namespace tavlora::test
