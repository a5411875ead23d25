#pragma once

#include <cstdint>

// The hooks through which the application main sets up portal hosting for
// "-msn" (and "-pq="), "-quarrow" and "-aol". Each makes sure the game-state
// registry exists; the first two set their portal's flag, which the event
// pump and the display set-up read. However many are called, one
// web-portal handler (TMsnQuarrowHandler) is registered per process.
// Main thread only.
void InstallMsnHandler();
void InstallQuarrowHandler();
void InstallAolHandler();

bool IsMsnPortal();
bool IsQuarrowPortal();

// Milliseconds spent waiting for the portal host, summed over the run and
// counting a wait still running; the application's timer subtracts them,
// so it stands still during a wait. 0 outside portal mode.
uint32_t GetPortalWaitTime();
