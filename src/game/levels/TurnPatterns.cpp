#include "game/levels/TurnPatterns.h"

#include <algorithm>

TurnPatternTable::TurnPatternTable() {
    const int categories[] = {kCategoryOrdinary, kCategoryWild, kCategoryBomb};
    int number = 1;
    for (int a : categories)
        AddRow(mOne, {a}, number++);
    for (int a : categories)
        for (int b : categories)
            AddRow(mTwo, {a, b}, number++);
    // The three-tile rows stop after the twelfth sequence in ascending order.
    for (int a : categories)
        for (int b : categories)
            for (int c : categories)
                if (number <= kPatternCount)
                    AddRow(mThree, {a, b, c}, number++);
}

void TurnPatternTable::AddRow(std::vector<std::vector<int>>& rows, std::vector<int> categories,
                              int number) {
    categories.push_back(number);
    rows.push_back(std::move(categories));
}

int TurnPatternTable::Find(const std::vector<int>& categories, int previous) const {
    const size_t n = categories.size();
    if (n == 0)
        return previous;
    const std::vector<std::vector<int>>& rows = n == 1 ? mOne : n == 2 ? mTwo : mThree;
    const size_t width = std::min<size_t>(n, 3);
    const auto first = categories.end() - static_cast<std::ptrdiff_t>(width);
    for (const std::vector<int>& row : rows)
        if (std::equal(first, categories.end(), row.begin()))
            return row.back();
    return previous;
}
