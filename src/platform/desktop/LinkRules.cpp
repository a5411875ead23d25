#include "platform/desktop/LinkRules.h"

#include <cerrno>
#include <cstring>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace platform {

namespace {

bool StartsWithNoCase(const std::string& text, const char* prefix) {
    size_t length = std::strlen(prefix);
    return text.size() >= length && strncasecmp(text.c_str(), prefix, length) == 0;
}

bool Refuse(std::string* why, const char* reason) {
    if (why)
        *why = reason;
    return false;
}

} // namespace

bool IsOpenableUrl(const std::string& url, std::string* why) {
    for (unsigned char c : url) {
        if (c <= 0x20 || c == 0x7F)
            return Refuse(why, "the link holds a space or a control character");
    }
    size_t rest = 0;
    if (StartsWithNoCase(url, "http://"))
        rest = 7;
    else if (StartsWithNoCase(url, "https://"))
        rest = 8;
    else if (StartsWithNoCase(url, "mailto:"))
        rest = 7;
    else
        return Refuse(why, "only http, https and mailto links are opened");
    if (url.size() == rest || url[rest] == '/')
        return Refuse(why, "the link names no place");
    return true;
}

bool StartProgram(const std::string& program, const std::string& argument, std::string* why) {
    if (program.empty())
        return Refuse(why, "no program named");
    // Arguments are handed over as they are; nothing is read by a shell.
    char* arguments[] = {const_cast<char*>(program.c_str()), const_cast<char*>(argument.c_str()),
                         nullptr};
    pid_t child = 0;
    int error = program.find('/') == std::string::npos
                    ? posix_spawnp(&child, program.c_str(), nullptr, nullptr, arguments, environ)
                    : posix_spawn(&child, program.c_str(), nullptr, nullptr, arguments, environ);
    if (error != 0) {
        if (why)
            *why = std::strerror(error);
        return false;
    }
    // The child is waited for where it cannot hold up the program.
    std::thread([child] {
        int status = 0;
        while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
    }).detach();
    return true;
}

} // namespace platform
