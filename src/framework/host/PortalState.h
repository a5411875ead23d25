#pragma once

#include <cstdint>
#include <string>

// The web-portal state: one set per process, shared by the portal handler
// (TMsnQuarrowHandler) and the installers. It turns the game's states into
// short text messages for the hosting page and the page's numeric codes
// into waits, mutes, restarts and returns to the menu.
//
// Portal mode means msn mode or quarrow mode; outside it every operation
// below does nothing and answers false or 0, unless said otherwise. Texts
// go to the host through the installed THostServices. Main thread only.

// Portal modes, set by the installers.
void SetPortalMsnMode();
void SetPortalQuarrowMode();
bool IsPortalMsnMode();
bool IsPortalQuarrowMode();
bool IsPortalMode();

// Sends one message text: the text and its NUL in chunks of 8 bytes, each
// one host message {0x0400, bytes 0-3, bytes 4-7} (little-endian words).
// With "-pq=" nothing is sent, but the portal game becomes active. Waits
// (msn mode only) when asked to and every chunk reached a live host. Then
// the mute rule.
void PostToPortalHost(const std::string& text, bool wait);

// The host's answer codes (the "windowmessage" state).
void HandlePortalWindowMessage(int32_t code);

// A wait for the host: the portal clock stands, the system arrow shows and
// the game is suspended until a code ends it (or the host goes).
void BeginPortalWait();
void EndPortalWait();
bool IsPortalWaiting();
// The host went away: a wait ends, since no code can come any more.
void EndPortalWaitForLostHost();

void SubmitPortalScore(int32_t score);
void SendPortalGameEnd();
void BroadcastPortalScore(int32_t score);
void SetPortalLevel(int32_t level, int32_t sublevel);
void SendMaxLevelReached();
void SendPortalGameBreak();
void SendPortalGameReady(const std::string& mode);
void SendPortalLoadProgress(int32_t percent);
void SendPortalSessionReady();
void SendPortalDeluxe();
// Only a change acts.
void SetPortalPause(bool paused);
void SetPortalMute(bool muted);
void SendPortalRestart();
void UpdatePortalMute();

void SetPortalUpsellLevels(int32_t levels);
int32_t GetPortalUpsellLevels();
void SetPortalMaxLevels(int32_t levels);
int32_t GetPortalMaxLevels();
void SetPortalComInterval(int32_t seconds);
// A restart may be offered: the portal game ran longer than the com
// interval (never while that is negative).
bool IsPortalRestartAllowed();

// Reads "-com_interval", "-upsell_levels" and "-max_levels" from a command
// line: the number starts one character after the option's name; an option
// that is missing, or that ends the text, reads as -1.
int32_t ReadPortalOption(const std::string& commandLine, const std::string& option);

// The requests of the host, taken by the handler's queries.
bool TakePortalRestartRequest();
bool TakePortalJumpToMenuRequest();
bool IsPortalMuted();
bool IsPortalGameActive();
uint32_t GetPortalBreakCounter();
// The portal clock's time in ms: play time of the portal game.
uint32_t GetPortalClockTime();
// Waiting time summed over the run, counting a wait that is still running.
uint32_t GetPortalWaitTotal();

// Back to the state of a new process; for tests.
void ResetPortalState();
