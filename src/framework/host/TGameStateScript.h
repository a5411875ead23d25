#pragma once

// The registry's script functions: "GetState", "_SetState",
// "QueryMuteGame", "QueryRestartMode" and "QueryJumpToMenu", registered in
// that order as globals of the window manager's script. They act on the
// registry that exists when they are called, so a script that outlives the
// registry reads empty states and false answers.
void RegisterGameStateScriptFunctions();
