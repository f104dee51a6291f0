#include "workspace/comb_list_rows.h"

namespace tavlora {

const std::vector<std::string>& combListColumns() {
    static const std::vector<std::string> captions{"№ п.п.", "1", "2", "3", "4", "5", "S"};
    return captions;
}

std::vector<std::string> combListRow(std::size_t position, const TComb& comb) {
    std::vector<std::string> cells;
    cells.reserve(7);
    cells.push_back(std::to_string(position + 1));
    int sum = 0;
    for (uint8_t n : comb.n) {
        cells.push_back(std::to_string(n));
        sum += n;
    }
    cells.push_back(std::to_string(sum));
    return cells;
}

}  // namespace tavlora
