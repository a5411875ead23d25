#pragma once

#include <cstdint>

// The hooks through which the application main sets up portal hosting for
// "-msn" (and "-pq="), "-quarrow" and "-aol". Each makes sure the game-state
// registry exists; the first two set their portal's flag, which the event
// pump and the display set-up read. The web-portal handler itself is not
// part of this build: the installers say so in the log and register no
// handler, so the game runs as it would unhosted. Main thread only.
void InstallMsnHandler();
void InstallQuarrowHandler();
void InstallAolHandler();

bool IsMsnPortal();
bool IsQuarrowPortal();

// Milliseconds spent waiting for the portal host, summed over the run; the
// application's timer subtracts them. 0 while no portal handler waits.
uint32_t GetPortalWaitTime();
