#include "scenario/run_test_registry.h"

#include "stats/stat_list.h"

namespace tavlora::test {

std::shared_ptr<TStatList> makeRegistry(const TSettings& settings, const TDrawsArray& draws) {
    auto list = std::make_shared<TStatList>(settings, draws);
    list->rebuild();
    return list;
}

}  // namespace tavlora::test
