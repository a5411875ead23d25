#pragma once

#include <cstdint>
#include <functional>
#include <memory>

namespace platform {

// The sound output as the sound manager sees it: one device with a primary
// buffer that sets the output format and any number of secondary buffers,
// each a ring of 16-bit (or 8-bit) PCM with a play cursor, a write cursor
// a little ahead of it, a volume and a looping flag. Every call answers with
// a result code: kAudioOk or one of the failure codes below, which the sound
// layer logs and branches on.

// Result codes.
inline constexpr int32_t kAudioOk = 0;
inline constexpr int32_t kAudioErrGeneric = static_cast<int32_t>(0x80004005);
inline constexpr int32_t kAudioErrInvalidParam = static_cast<int32_t>(0x80070057);
inline constexpr int32_t kAudioErrOutOfMemory = static_cast<int32_t>(0x8007000E);
inline constexpr int32_t kAudioErrNoDriver = static_cast<int32_t>(0x88780078);
inline constexpr int32_t kAudioErrBufferLost = static_cast<int32_t>(0x88780096);
inline constexpr int32_t kAudioErrInvalidCall = static_cast<int32_t>(0x88780032);
// The display's out-of-memory code; the sound layer tells the display first
// when a sound call fails with it.
inline constexpr int32_t kAudioErrOutOfVideoMemory = static_cast<int32_t>(0x8876017C);

// Cooperative levels.
inline constexpr uint32_t kAudioLevelNormal = 1;
inline constexpr uint32_t kAudioLevelPriority = 2;

// Buffer capability flags.
inline constexpr uint32_t kBufferPrimary = 0x1;
inline constexpr uint32_t kBufferCtrlVolume = 0x80;
inline constexpr uint32_t kBufferCtrlPositionNotify = 0x100;
inline constexpr uint32_t kBufferGlobalFocus = 0x8000;
inline constexpr uint32_t kBufferGetCurrentPosition2 = 0x10000;

// Play flags and status bits.
inline constexpr uint32_t kPlayLooping = 0x1;
inline constexpr uint32_t kStatusPlaying = 0x1;
inline constexpr uint32_t kStatusBufferLost = 0x2;
inline constexpr uint32_t kStatusLooping = 0x4;

// Volume in hundredths of a decibel: gain = 10^(volume / 2000).
inline constexpr int32_t kVolumeMin = -10000; // silent
inline constexpr int32_t kVolumeMax = 0;

// A notification offset that fires when the buffer stops.
inline constexpr uint32_t kNotifyOffsetStop = 0xFFFFFFFF;

inline constexpr uint16_t kFormatPcm = 1;

struct AudioFormat {
    uint16_t formatTag = kFormatPcm;
    uint16_t channels = 2;
    uint32_t samplesPerSec = 44100;
    uint32_t avgBytesPerSec = 176400;
    uint16_t blockAlign = 4;
    uint16_t bitsPerSample = 16;
};

struct AudioBufferDesc {
    uint32_t size = 36; // the record's size, as callers fill it
    uint32_t flags = 0;
    uint32_t bufferBytes = 0;            // 0 for the primary buffer
    const AudioFormat* format = nullptr; // null for the primary buffer
};

struct AudioCaps {
    uint32_t size = 96;
    uint32_t flags = 0;
    uint32_t maxSecondarySampleRate = 0;
    uint32_t maxHwMixingBuffers = 0;
};

struct AudioNotifyPosition {
    uint32_t offset = 0;
    void* event = nullptr;
};

// The gain of a volume in hundredths of a decibel, 0 at kVolumeMin.
float GainOfVolume(int32_t volume);

class AudioBuffer {
public:
    virtual ~AudioBuffer() = default;

    virtual int32_t SetFormat(const AudioFormat& format) = 0;
    // Byte offsets of the play and write cursors.
    virtual int32_t GetCurrentPosition(uint32_t* play, uint32_t* write) = 0;
    // Gives the bytes from offset on, in two parts when they run across the
    // end of the ring (the second part then starts at the ring's start).
    virtual int32_t Lock(uint32_t offset, uint32_t bytes, void** part1, uint32_t* bytes1,
                         void** part2, uint32_t* bytes2) = 0;
    virtual int32_t Unlock(void* part1, uint32_t bytes1, void* part2, uint32_t bytes2) = 0;
    // Plays from the play cursor; with kPlayLooping round the ring, else to
    // its end, where it stops with both cursors at 0.
    virtual int32_t Play(uint32_t flags) = 0;
    // Stops; the cursors stay where they are.
    virtual int32_t Stop() = 0;
    virtual int32_t SetVolume(int32_t volume) = 0;
    virtual int32_t GetVolume(int32_t* volume) = 0;
    virtual int32_t GetStatus(uint32_t* status) = 0;
    virtual int32_t Restore() = 0;
    virtual int32_t SetNotificationPositions(uint32_t count,
                                             const AudioNotifyPosition* positions) = 0;
};

class AudioDevice {
public:
    virtual ~AudioDevice() = default;

    // Opens the output; the other calls need it open.
    virtual int32_t Open() = 0;
    virtual int32_t GetCaps(AudioCaps* caps) = 0;
    virtual int32_t SetCooperativeLevel(void* window, uint32_t level) = 0;
    virtual int32_t CreateBuffer(const AudioBufferDesc& desc,
                                 std::shared_ptr<AudioBuffer>* buffer) = 0;
};

// The device the sound manager opens: an SDL device unless a factory was
// installed (tests install the null device).
using AudioDeviceFactory = std::function<std::unique_ptr<AudioDevice>()>;
std::unique_ptr<AudioDevice> CreateAudioDevice();
// Installs a factory (an empty one puts SDL back); returns the previous one.
AudioDeviceFactory SetAudioDeviceFactory(AudioDeviceFactory factory);

} // namespace platform
