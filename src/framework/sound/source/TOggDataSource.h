#pragma once

#include "framework/sound/source/TSoundDataSource.h"

#include <cstdint>
#include <memory>
#include <vector>

struct OggVorbis_File;

// Ogg Vorbis decoded while it plays, through vorbisfile. The compressed
// bytes come either from the open file (through TFile, so sounds play from
// pack files too) or from a copy of the whole file in memory.
class TOggDataSource : public TSoundDataSource {
public:
    TOggDataSource();
    ~TOggDataSource() override;
    TOggDataSource(const TOggDataSource&) = delete;
    TOggDataSource& operator=(const TOggDataSource&) = delete;

    // Opens the name, or the name with ".ogg" added; stream reads the file
    // while playing, else the file is read into memory first. A file that
    // does not open gives false silently; one that is not Ogg Vorbis logs
    // "OGG file could not be opened".
    virtual bool Open(const TString& name, bool stream);
    // Opens the compressed bytes given.
    bool OpenMemory(std::vector<uint8_t> bytes);

    uint32_t Read(void* dest, uint32_t offset, uint32_t count) override;
    uint64_t GetSize() override { return mSize; }
    uint32_t GetSampleRate() override { return mSampleRate; }
    uint32_t GetChannels() override { return mChannels; }
    double GetDuration() override { return mDuration; }

private:
    struct Callbacks;
    bool OpenDecoder(void* datasource, bool memory);
    void Close();
    // Puts the decoder at the frame holding offset; false when the stream
    // has no such frame or the decoder cannot get there.
    bool SeekTo(uint32_t offset);
    // Decodes whole frames into dest (at most bytes, at least one frame's
    // worth); 0 at the end of the data.
    long Decode(char* dest, uint32_t bytes);

    uint32_t mSampleRate = 0;
    uint32_t mChannels = 0;
    double mDuration = 0.0;
    uint64_t mSize = 0;
    uint64_t mFrames = 0;
    std::unique_ptr<OggVorbis_File> mDecoder;
    uint32_t mPosition = 0;
    // Decoded bytes of a frame that a read ended inside of; they come
    // first in the next read.
    std::vector<uint8_t> mCarry;
};

// Builds the sources of "ogg" files: decoded while playing when streaming
// or for sounds of 2 s and more (unless "keepogguncompressed" is set),
// else decoded whole at load.
class TOggDataSourceBuilder : public TSoundDataSourceBuilder {
public:
    std::shared_ptr<TSoundDataSource> Build(const TString& name, bool stream) override;
};

// Registers the Ogg Vorbis builder for the extension "ogg"; the application
// constructor calls it once.
void RegisterOggDataSourceBuilder();
bool IsOggDataSourceRegistered();
