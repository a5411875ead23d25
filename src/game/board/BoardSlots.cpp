#include "game/board/BoardSlots.h"

#include <algorithm>

namespace {

template <typename T> void RotateBy(std::vector<T>& values, int n) {
    const int size = static_cast<int>(values.size());
    if (size == 0)
        return;
    const int shift = ((n % size) + size) % size;
    // Slot i goes to i + shift: the last `shift` values come to the front.
    std::rotate(values.begin(), values.begin() + (size - shift), values.end());
}

} // namespace

void BoardSlots::Resize(int count) {
    const size_t size = static_cast<size_t>(std::max(count, 0));
    kind.assign(size, 0);
    busy.assign(size, 0);
    state.assign(size, 0);
    command.assign(size, kCmdNone);
    tile.assign(size, nullptr);
}

void BoardSlots::Clear(int slot) {
    if (!Contains(slot))
        return;
    kind[slot] = 0;
    busy[slot] = 0;
    state[slot] = 0;
    command[slot] = kCmdNone;
    tile[slot] = nullptr;
}

void BoardSlots::Move(int from, int to) {
    if (!Contains(from) || !Contains(to) || from == to)
        return;
    kind[to] = kind[from];
    busy[to] = busy[from];
    state[to] = state[from];
    command[to] = command[from];
    tile[to] = tile[from];
    Clear(from);
}

void BoardSlots::Rotate(int n) {
    RotateBy(kind, n);
    RotateBy(busy, n);
    RotateBy(state, n);
    RotateBy(command, n);
    RotateBy(tile, n);
}
