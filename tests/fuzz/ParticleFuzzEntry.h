#pragma once

// Entry function of the particle description reader's fuzz target (a
// game-data reader): whatever the file, every number of the description
// lies in its range and no float is NaN. The corpus replay test runs the
// seeds through the same check under the sanitizers.

#include "framework/core/xml/TXmlNode.h"
#include "velk/data/DataRange.h"
#include "velk/particles/TParticleDescription.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

inline std::string CheckParticleDescription(const uint8_t* data, size_t size) {
    TXmlNode document;
    document.LoadBuffer(reinterpret_cast<const char*>(data), data ? size : 0, "fuzz");
    TXmlNode* parsys = document.FindChild("parsys");
    if (!parsys)
        return "";
    TParticleDescription description;
    ReadParticleDescription(*parsys, description, "fuzz");
    for (const TParticleEmitterDesc& emitter : description.emitters) {
        if (emitter.count > static_cast<uint32_t>(kMaxParticleCount))
            return "a particle count of " + std::to_string(emitter.count);
        if (emitter.cycles > static_cast<uint32_t>(kMaxDataCount))
            return "cycles of " + std::to_string(emitter.cycles);
        for (int32_t time : emitter.times)
            if (time < 0 || time > kMaxDataTimeMs)
                return "a time of " + std::to_string(time);
        for (float value : emitter.colour)
            if (!std::isfinite(value))
                return "a colour that is no number";
        for (float value : emitter.motion)
            if (!std::isfinite(value))
                return "a motion value that is no number";
        for (int axis = 0; axis < 3; ++axis)
            if (!std::isfinite(emitter.scale[axis]) || !std::isfinite(emitter.rotate[axis]))
                return "a scale or rotation that is no number";
    }
    return "";
}

inline int FuzzParticleDescription(const uint8_t* data, size_t size) {
    const std::string problem = CheckParticleDescription(data, size);
    if (!problem.empty()) {
        std::fprintf(stderr, "%s\n", problem.c_str());
        std::abort();
    }
    return 0;
}
