#include "BuildInfo.h"

#include <cstdio>

// The game's entry point. Until the game layers exist the program starts,
// says which build it is, and ends cleanly.
int main() {
    std::printf("%s %s\n", CORVALO_PRODUCT_NAME, CORVALO_VERSION);
    return 0;
}
