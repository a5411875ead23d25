#pragma once

// Particle files written on the spot into a temporary folder, and a seed
// hook for the particle systems made meanwhile.

#include "velk/particles/TParticleSystem.h"

#include "support/TempFolder.h"

#include <memory>
#include <string>

namespace particletest {

inline uint32_t gSeed = 1234;
inline uint32_t FixedSeed() {
    return gSeed;
}

// Sets the seed hook for its lifetime.
struct SeedScope {
    explicit SeedScope(uint32_t seed) {
        gSeed = seed;
        TParticleSystem::SetSeedSource(&FixedSeed);
    }
    ~SeedScope() { TParticleSystem::SetSeedSource(nullptr); }
};

// A "parsys" file of one emitter with the given children of "particles"
// and of "emitter"; its logical name.
inline std::string WriteParsys(const support::TempFolder& folder, const std::string& name,
                               const std::string& particles, const std::string& emitter = "",
                               const std::string& attributes = "count=\"1\"") {
    const std::string xml = "<parsys name=\"" + name + "\"><emitter name=\"e\">" + emitter +
                            "<particles " + attributes + ">" + particles +
                            "</particles></emitter></parsys>";
    return "::" + folder.Write(name + ".xml", xml);
}

// A range element: <tag><inferior .../><superior .../></tag>.
inline std::string Range(const std::string& tag, const std::string& inferior,
                         const std::string& superior) {
    return "<" + tag + "><inferior " + inferior + "/><superior " + superior + "/></" + tag + ">";
}

inline std::string Times(int wait, int life, int fade) {
    auto both = [](const char* tag, int v) {
        return std::string("<") + tag + " inferior=\"" + std::to_string(v) + "\" superior=\"" +
               std::to_string(v) + "\"/>";
    };
    return "<time>" + both("wait", wait) + both("life", life) + both("fade", fade) + "</time>";
}

inline std::string Rgba(int r, int g, int b, int a) {
    return "red=\"" + std::to_string(r) + "\" green=\"" + std::to_string(g) + "\" blue=\"" +
           std::to_string(b) + "\" alpha=\"" + std::to_string(a) + "\"";
}

inline std::string Colours(const std::string& start, const std::string& finish) {
    return "<color>" + Range("start", start, start) + Range("finish", finish, finish) + "</color>";
}

inline std::string Xyz(float x, float y, float z) {
    return "x=\"" + std::to_string(x) + "\" y=\"" + std::to_string(y) + "\" z=\"" +
           std::to_string(z) + "\"";
}

inline std::unique_ptr<TParticleSystem> Load(const std::string& file) {
    auto system = std::make_unique<TParticleSystem>();
    if (!system->LoadParticleSystem(TString(file.c_str()))) {
        return nullptr;
    }
    return system;
}

} // namespace particletest
