#pragma once

// Whether the application object exists. The application frame sits above
// every framework layer, so the layers below it (the game-state registry,
// for one) learn through this flag, not through the class, that it lives.
// Set by the application's constructor, cleared by its destructor.
bool IsApplicationPresent();
void SetApplicationPresent(bool present);
