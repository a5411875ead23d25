// Prints the developer cheat code that turns "cheatmode" on for one
// computer: pass it to the game as "--cheat <code>".
//
// Usage: cheatcode <encryption key> [computer id]
// Without a computer id, this machine's id is used.

#include "framework/core/settings/TSettings.h"
#include "framework/core/system/TComputerId.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: %s <encryption key> [computer id]\n", argv[0]);
        return 2;
    }
    TString key(argv[1]);
    if (key.IsEmpty()) {
        std::fprintf(stderr, "cheatcode: the encryption key is empty; no cheat code applies\n");
        return 1;
    }
    TString computerId = argc == 3 ? TString(argv[2]) : GetComputerId();
    std::printf("computer id: %s\n--cheat %s\n", computerId.CStr(),
                MakeCheatCode(computerId, key).CStr());
    return 0;
}
