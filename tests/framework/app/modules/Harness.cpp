// The test harness module: adds an option to the command line it is given,
// so the tests can see that the hook ran and replaced the text, and names
// a window id that the tests look for.

#include <cstdint>
#include <string>

extern "C" uintptr_t TestHook(const char** commandLine) {
    static std::string replaced;
    replaced =
        std::string(commandLine && *commandLine ? *commandLine : "") + " options=harness=replaced";
    *commandLine = replaced.c_str();
    return 0x1234;
}
