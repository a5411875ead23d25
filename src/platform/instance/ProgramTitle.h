#pragma once

#include <string>

namespace platform {

// The program's title, from which the single-instance name and the window
// class name are made: the program file path in lower case (ASCII letters),
// with every "/", "\" and ":" removed. "D:\GAME\GAME.EXE" gives
// "dgamegame.exe", "/opt/Game/game" gives "optgamegame".
std::string MakeProgramTitle(const std::string& programPath);

// The title followed by "_MUTEX": the name of the single-instance guard.
std::string MakeInstanceName(const std::string& title);
// The title followed by "_WNDCLASS": the main window's class name.
std::string MakeWindowClassName(const std::string& title);

} // namespace platform
