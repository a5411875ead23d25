#pragma once

#include "framework/core/text/TString.h"

#include <cstdint>
#include <memory>

// Decoded sound as 16-bit signed little-endian PCM, read by byte offset.
// Reads take the sound lock: the sound thread fills buffers from sources
// while the main thread decodes others.
class TSoundDataSource {
public:
    virtual ~TSoundDataSource() = default;
    // Copies up to count bytes from offset; fewer only at the end of the data.
    virtual uint32_t Read(void* dest, uint32_t offset, uint32_t count) = 0;
    // The decoded size in bytes.
    virtual uint64_t GetSize() = 0;
    virtual uint32_t GetSampleRate() = 0;
    virtual uint32_t GetChannels() = 0;
    virtual double GetDuration() = 0;
};

// Makes sources for the files of one extension. Builders are registered at
// start-up in one table keyed by extension (without the dot).
class TSoundDataSourceBuilder {
public:
    virtual ~TSoundDataSourceBuilder() = default;
    // The source of a file, empty when it cannot be read; stream asks to
    // decode from the file while it plays.
    virtual std::shared_ptr<TSoundDataSource> Build(const TString& name, bool stream) = 0;

    // Stores the builder (not owned) for the extension; null takes it out.
    static void Register(const TString& extension, TSoundDataSourceBuilder* builder);
    static TSoundDataSourceBuilder* Find(const TString& extension);
    // A source for the name: by the builder of its extension, or, for a
    // name without one (or with one no builder takes), by the first builder
    // in extension order whose extension added to the name is a file.
    static std::shared_ptr<TSoundDataSource> CreateSource(const TString& name, bool stream);
};
