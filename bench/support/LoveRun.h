#pragma once

#include "XServerRound.h"

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

// Runs love on the scene to its end, with the given variables added to its
// environment; what it said (standard output and error) and its resource
// use. False when it could not start.
inline bool RunLoveScene(const std::string& scene, std::string& output, rusage& usage,
                         const std::vector<std::pair<std::string, std::string>>& environment = {}) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return false;
    const pid_t child = fork();
    if (child < 0) {
        close(pipeFds[0]);
        close(pipeFds[1]);
        return false;
    }
    if (child == 0) {
        dup2(pipeFds[1], STDOUT_FILENO);
        dup2(pipeFds[1], STDERR_FILENO);
        close(pipeFds[0]);
        close(pipeFds[1]);
        for (const auto& [name, value] : environment)
            setenv(name.c_str(), value.c_str(), 1);
        execlp("love", "love", scene.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(pipeFds[1]);
    output.clear();
    char buffer[4096];
    ssize_t got;
    while ((got = read(pipeFds[0], buffer, sizeof buffer)) > 0)
        output.append(buffer, static_cast<size_t>(got));
    close(pipeFds[0]);
    int status = 0;
    usage = rusage{};
    wait4(child, &status, 0, &usage);
    return true;
}

// Runs love on the scene; its ms/frame line and its peak memory.
inline bool RunLove(const std::string& scene, double& ms, long& peakKb) {
    std::string output;
    rusage usage{};
    if (!RunLoveScene(scene, output, usage))
        return false;
    peakKb = usage.ru_maxrss;
    const size_t at = output.find("love:");
    const size_t equals = at == std::string::npos ? at : output.find('=', at);
    if (equals == std::string::npos) {
        std::printf("  LÖVE: no figure in its output:\n%s\n", output.c_str());
        return false;
    }
    ms = std::atof(output.c_str() + equals + 1);
    std::printf("  LÖVE says: %s", output.substr(at, output.find('\n', at) - at + 1).c_str());
    return ms > 0;
}

// Whether love and the scene are there; says why not on standard output.
inline bool HaveLove(const std::string& scene) {
    struct stat info;
    const bool have = OnPath("love") && stat((scene + "/main.lua").c_str(), &info) == 0;
    if (!OnPath("love"))
        std::printf("  LÖVE: not installed (make bench installs it through scripts/setup.sh "
                    "bench); no ratio\n");
    else if (!have)
        std::printf("  LÖVE: no scene at %s; no ratio\n", scene.c_str());
    return have;
}
