// A locale module for tests: orders texts without regard to ASCII case.

extern "C" __attribute__((visibility("default"))) int nbCollate(const char* a, const char* b) {
    auto fold = [](unsigned char c) { return (c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c; };
    const unsigned char* x = reinterpret_cast<const unsigned char*>(a);
    const unsigned char* y = reinterpret_cast<const unsigned char*>(b);
    while (*x && fold(*x) == fold(*y)) {
        ++x;
        ++y;
    }
    int difference = fold(*x) - fold(*y);
    return difference < 0 ? -1 : (difference > 0 ? 1 : 0);
}
