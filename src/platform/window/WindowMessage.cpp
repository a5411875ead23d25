#include "platform/window/WindowMessage.h"

#include <cstdio>

namespace platform {

std::string MessageName(uint32_t message) {
    switch (message) {
    case kWmNull:
        return "WM_NULL";
    case kWmDestroy:
        return "WM_DESTROY";
    case kWmSize:
        return "WM_SIZE";
    case kWmPaint:
        return "WM_PAINT";
    case kWmClose:
        return "WM_CLOSE";
    case kWmQuit:
        return "WM_QUIT";
    case kWmEraseBackground:
        return "WM_ERASEBKGND";
    case kWmActivateApp:
        return "WM_ACTIVATEAPP";
    case kWmSetCursor:
        return "WM_SETCURSOR";
    case kWmMouseActivate:
        return "WM_MOUSEACTIVATE";
    case kWmWindowPosChanging:
        return "WM_WINDOWPOSCHANGING";
    case kWmWindowPosChanged:
        return "WM_WINDOWPOSCHANGED";
    case kWmNcHitTest:
        return "WM_NCHITTEST";
    case kWmKeyDown:
        return "WM_KEYDOWN";
    case kWmKeyUp:
        return "WM_KEYUP";
    case kWmChar:
        return "WM_CHAR";
    case kWmSysKeyDown:
        return "WM_SYSKEYDOWN";
    case kWmSysKeyUp:
        return "WM_SYSKEYUP";
    case kWmSysChar:
        return "WM_SYSCHAR";
    case kWmTimer:
        return "WM_TIMER";
    case kWmInitMenuPopup:
        return "WM_INITMENUPOPUP";
    case kWmMouseMove:
        return "WM_MOUSEMOVE";
    case kWmLButtonDown:
        return "WM_LBUTTONDOWN";
    case kWmLButtonUp:
        return "WM_LBUTTONUP";
    case kWmRButtonDown:
        return "WM_RBUTTONDOWN";
    case kWmRButtonUp:
        return "WM_RBUTTONUP";
    case kWmMButtonDown:
        return "WM_MBUTTONDOWN";
    case kWmMButtonUp:
        return "WM_MBUTTONUP";
    case kWmMouseWheel:
        return "WM_MOUSEWHEEL";
    case kWmXButtonDown:
        return "WM_XBUTTONDOWN";
    case kWmXButtonUp:
        return "WM_XBUTTONUP";
    case kWmMouseHWheel:
        return "WM_MOUSEHWHEEL";
    case kWmCaptureChanged:
        return "WM_CAPTURECHANGED";
    case kWmMouseHover:
        return "WM_MOUSEHOVER";
    case kWmMouseLeave:
        return "WM_MOUSELEAVE";
    default:
        break;
    }
    char text[16];
    if (message == kWmUser)
        return "WM_USER";
    if (message > kWmUser && message < kWmUser + 0x7C00)
        std::snprintf(text, sizeof text, "WM_USER+%u", message - kWmUser);
    else
        std::snprintf(text, sizeof text, "0x%04X", message);
    return text;
}

} // namespace platform
