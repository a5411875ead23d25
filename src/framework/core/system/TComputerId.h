#pragma once

#include "framework/core/text/TString.h"

#include <cstdint>

// A 16-byte globally unique id, random (version 4) in the byte layout of the
// system's GUID record.
struct TGuid {
    uint8_t bytes[16] = {};
};

// Fills guid with a fresh random id from the system's random source. False
// (and the record left zero) when the source failed; that is logged.
bool NewGuid(TGuid& guid);

// The machine's computer id: 16 printable characters made from the hardware
// address of the first network adapter, or from a fresh GUID when there is
// none (then it differs on every start). The adapters are read under
// adapterRoot, the system's adapter folder by default.
TString GetComputerId();
TString GetComputerId(const char* adapterRoot);

// The 16 characters for an 8-byte address field as the adapter record holds
// it (a MAC address fills the first 6 bytes; bytes 6 and 7 are replaced by
// copies of bytes 3 and 4 before mixing).
TString ComputerIdFromAddress(const uint8_t address[8]);
