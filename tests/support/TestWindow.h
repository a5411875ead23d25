#pragma once

// The window the tests of the window layer open, whichever back end they
// test, and the reading of its queue.

#include "platform/window/Window.h"
#include "platform/window/WindowMessage.h"

#include <string>
#include <vector>

namespace support {

// The main window as the frame first makes it: "Nimbrel", 480 by 360.
inline platform::WindowSpec TestWindowSpec() {
    platform::WindowSpec spec;
    spec.caption = "Nimbrel";
    spec.width = 480;
    spec.height = 360;
    return spec;
}

// Takes every waiting message out of the window's queue, in order.
inline std::vector<platform::WindowMessage> DrainMessages(platform::Window& window) {
    std::vector<platform::WindowMessage> messages;
    platform::WindowMessage message;
    while (window.PeekMessage(message))
        messages.push_back(message);
    return messages;
}

// The messages' names ("WM_PAINT"), in order.
inline std::vector<std::string> MessageNames(const std::vector<platform::WindowMessage>& messages) {
    std::vector<std::string> names;
    for (const platform::WindowMessage& message : messages)
        names.push_back(platform::MessageName(message.message));
    return names;
}

} // namespace support
