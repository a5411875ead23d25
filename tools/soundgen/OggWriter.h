#pragma once

// Encodes a buffer as Ogg Vorbis in memory with libvorbisenc: a fixed
// stream serial number and no time or date in the comments, so the same
// samples give the same bytes.

#include "Synth.h"

#include <cstdint>
#include <vector>

namespace soundgen {

// Empty when the encoder refuses the format.
std::vector<uint8_t> EncodeOgg(const Buffer& buffer, uint32_t serial, float quality);

} // namespace soundgen
