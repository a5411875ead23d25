#pragma once

#include <string>

namespace platform {

// Whether a link may be handed to the browser or mail program: an http or
// https link with something after "//", or a mailto link with an address;
// the scheme in any case; no control characters or spaces anywhere (the
// link is passed on as one argument and must stay one link). When not,
// `why` (if given) says what is wrong.
bool IsOpenableUrl(const std::string& url, std::string* why = nullptr);

// Starts a program (searched on PATH when the name holds no slash) with one
// argument, without a shell, and reaps it when it ends. False (with the
// reason in `why`) when it cannot be started.
bool StartProgram(const std::string& program, const std::string& argument,
                  std::string* why = nullptr);

} // namespace platform
