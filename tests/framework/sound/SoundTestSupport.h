#pragma once

// Shared pieces of the sound tests: the tone fixtures, a sound manager on
// the null device with a hand-moved clock, a log read back, and a reference
// decode of an Ogg file.

#include "framework/core/log/TLog.h"
#include "framework/sound/manager/TSoundManager.h"
#include "platform/audio/null/NullAudioDevice.h"
#include "platform/time/manual/ManualTimeSource.h"
#include "support/TempFolder.h"

#include <vorbis/vorbisfile.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace soundtest {

inline std::string Fixture(const std::string& name) {
    return std::string(CORVALO_SOUND_FIXTURES) + "/" + name;
}

// A logical name for a fixture ("::" takes the path as it is).
inline std::string FixtureName(const std::string& name) {
    return "::" + Fixture(name);
}

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The whole file decoded by vorbisfile on its own, as 16-bit PCM.
inline std::vector<int16_t> DecodeReference(const std::string& path, int* channels = nullptr) {
    OggVorbis_File file;
    std::vector<int16_t> pcm;
    if (ov_fopen(path.c_str(), &file) != 0) {
        return pcm;
    }
    if (channels) {
        *channels = ov_info(&file, -1)->channels;
    }
    char buffer[8192];
    int section = 0;
    long got;
    std::string bytes;
    while ((got = ov_read(&file, buffer, sizeof(buffer), 0, 2, 1, &section)) > 0) {
        bytes.append(buffer, static_cast<size_t>(got));
    }
    ov_clear(&file);
    pcm.resize(bytes.size() / 2);
    std::memcpy(pcm.data(), bytes.data(), pcm.size() * 2);
    return pcm;
}

// Sets an environment variable for a scope and puts the old value back.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : mName(name) {
        const char* old = std::getenv(name);
        mHad = old != nullptr;
        mOld = old ? old : "";
        setenv(name, value, 1);
    }
    ~ScopedEnv() {
        if (mHad) {
            setenv(mName.c_str(), mOld.c_str(), 1);
        } else {
            unsetenv(mName.c_str());
        }
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string mName;
    std::string mOld;
    bool mHad = false;
};

// The debug log started in a folder of its own for one test.
class LogCapture {
public:
    LogCapture() { StartLog(mFolder.Path().string().c_str()); }
    ~LogCapture() { StartLog(nullptr); }
    std::string Text() const { return ReadBytes(GetLogFilePath().ToStd()); }
    bool Has(const std::string& text) const { return Text().find(text) != std::string::npos; }

private:
    support::TempFolder mFolder{"corvalo-sound-log-"};
};

// A sound manager on the null device, its clock moved by hand; without a
// thread unless asked, so the test drives the streams.
struct NullRig {
    explicit NullRig(bool runThread = false) {
        auto owned = std::make_unique<platform::NullAudioDevice>();
        device = owned.get();
        initialised = manager.Init(std::move(owned), runThread);
    }
    // Moves the clock past the scan interval and collects finished streams.
    void Scan(bool retire = true) {
        time.Advance(501);
        manager.CollectFinishedStreams(retire);
    }

    platform::ManualTimeSource time{1000};
    platform::ScopedTimeSource scoped{time};
    TSoundManager manager;
    platform::NullAudioDevice* device = nullptr;
    bool initialised = false;
};

} // namespace soundtest
