#pragma once

// Runs one of the programs built from tools/ and gives back its exit status
// and everything it wrote (standard output and standard error together).

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace tools_test {

struct ToolResult {
    int status = -1; // the exit status; -1 when the program did not exit
    std::string output;
};

inline std::string ToolPath(const std::string& name) {
    return std::string(CORVALO_BINARY_DIR) + "/tools/" + name;
}

inline bool ToolBuilt(const std::string& name) {
    return std::filesystem::exists(ToolPath(name));
}

// Each argument is passed as it stands (quoted for the shell); environment
// settings are "NAME=value" texts.
inline ToolResult RunTool(const std::string& name, const std::vector<std::string>& arguments,
                          const std::vector<std::string>& environment = {}) {
    auto quote = [](const std::string& text) {
        std::string quoted = "'";
        for (char c : text) {
            if (c == '\'')
                quoted += "'\\''";
            else
                quoted += c;
        }
        return quoted + "'";
    };
    std::string command = "env";
    for (const std::string& setting : environment)
        command += " " + quote(setting);
    command += " " + quote(ToolPath(name));
    for (const std::string& argument : arguments)
        command += " " + quote(argument);
    command += " 2>&1";
    ToolResult result;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return result;
    char buffer[4096];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        result.output.append(buffer, got);
    int status = ::pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

} // namespace tools_test
