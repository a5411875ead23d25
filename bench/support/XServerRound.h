#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

// The drawing benchmarks run under SDL's offscreen driver, and then once more
// on a private X server (Xvfb) where the window is a real one. The two
// measure different things: the offscreen window's surface is never shown, so
// a program that draws straight into it is never made to wait for its
// picture, while a program that draws into a surface of its own and copies
// it to the window waits for the picture at every copy. On an X server every
// program waits at the swap, as on a desktop.

// Whether an executable of that name is in one of the PATH folders.
inline bool OnPath(const char* program) {
    const char* path = std::getenv("PATH");
    const std::string rest = path ? path : "";
    size_t start = 0;
    while (start <= rest.size()) {
        const size_t end = rest.find(':', start);
        const std::string folder = rest.substr(start, end - start);
        const std::string candidate = (folder.empty() ? "." : folder) + "/" + program;
        if (access(candidate.c_str(), X_OK) == 0)
            return true;
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return false;
}

// Set in the environment of a benchmark that must run under its driver only.
constexpr const char* kOneDriverVariable = "CORVALO_BENCH_ONE_DRIVER";

// The round on an X server follows when the program ran under the offscreen
// driver, nobody asked for one driver only, and Xvfb is installed.
inline bool WantsXServerRound() {
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    return driver && std::strcmp(driver, "offscreen") == 0 && !std::getenv(kOneDriverVariable) &&
           OnPath("Xvfb");
}

// Starts Xvfb on a free display, runs the program again with its arguments
// there (the X11 driver, one driver only), stops the server. The server
// must not reset when its last client leaves: the rounds open and close
// their windows one after the other. The program's
// exit status, or 1 when the server did not start.
inline int RunAgainOnXServer(char** argv) {
    std::printf("\n%s on an X server (Xvfb, 1280x1024x24), the window a real one:\n", argv[0]);
    std::fflush(stdout);
    int ready[2];
    if (pipe(ready) != 0)
        return 1;
    const pid_t server = fork();
    if (server < 0)
        return 1;
    if (server == 0) {
        close(ready[0]);
        const int quiet = open("/dev/null", O_WRONLY);
        if (quiet >= 0) {
            dup2(quiet, STDOUT_FILENO);
            dup2(quiet, STDERR_FILENO);
        }
        const std::string fd = std::to_string(ready[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24",
               "-nolisten", "tcp", "-noreset", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(ready[1]);
    // Xvfb writes its display number once it takes connections.
    std::string number;
    char c;
    while (read(ready[0], &c, 1) == 1 && c != '\n')
        number += c;
    close(ready[0]);
    int status = 1;
    if (number.empty()) {
        std::printf("  Xvfb did not start; no round on an X server\n");
    } else {
        const pid_t child = fork();
        if (child == 0) {
            setenv("DISPLAY", (":" + number).c_str(), 1);
            setenv("SDL_VIDEODRIVER", "x11", 1);
            setenv(kOneDriverVariable, "1", 1);
            execv(argv[0], argv);
            _exit(127);
        }
        int childStatus = 0;
        if (child > 0 && waitpid(child, &childStatus, 0) == child && WIFEXITED(childStatus))
            status = WEXITSTATUS(childStatus);
    }
    kill(server, SIGTERM);
    waitpid(server, nullptr, 0);
    return status;
}

// A drawing benchmark's main: run (under the offscreen driver unless
// SDL_VIDEODRIVER says otherwise), then the round on an X server.
inline int RunWithXServerRound(int argc, char** argv, int (*run)(int, char**)) {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    int status = run(argc, argv);
    if (status == 0 && WantsXServerRound())
        status = RunAgainOnXServer(argv);
    return status;
}
