#include "framework/sound/source/TOggDataSource.h"

#include "framework/core/files/TFile.h"
#include "framework/core/log/TLog.h"
#include "framework/core/settings/TSettings.h"
#include "framework/sound/manager/TSoundManager.h"
#include "framework/sound/source/TMemDataSource.h"

#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {
// A whole compressed file in memory, read by the memory callbacks.
struct OggMemoryFile {
    std::vector<uint8_t> bytes;
    int64_t position = 0;
};

// Where a seek of the decoder's data source lands. A position outside the
// data (or an unknown whence) is refused and the position stays: the
// decoder's bisection then stops with an error, where clamping would hand it
// the same bytes for ever.
bool SeekTarget(int64_t current, int64_t size, int64_t offset, int whence, int64_t* position) {
    int64_t base = 0;
    if (whence == SEEK_CUR) {
        base = current;
    } else if (whence == SEEK_END) {
        base = size;
    } else if (whence != SEEK_SET) {
        return false;
    }
    int64_t target = 0;
    if (__builtin_add_overflow(base, offset, &target) || target < 0 || target > size) {
        return false;
    }
    *position = target;
    return true;
}

// Holes (lost packets) in a damaged file are skipped, a few in a row at most.
constexpr int kMaxHolesInARow = 8;
} // namespace

struct TOggDataSource::Callbacks {
    static size_t FileRead(void* ptr, size_t size, size_t count, void* datasource) {
        auto* file = static_cast<TFile*>(datasource);
        if (size == 0 || count == 0) {
            return 0;
        }
        size_t wanted = std::min<size_t>(count, INT_MAX / size) * size;
        int32_t got = file->Read(ptr, static_cast<int32_t>(wanted));
        if (got <= 0) {
            return 0;
        }
        size_t partial = static_cast<size_t>(got) % size;
        if (partial) {
            // Only whole elements count as read: step back over the rest.
            file->Seek(-static_cast<int32_t>(partial), 0);
        }
        return static_cast<size_t>(got) / size;
    }

    static int FileSeek(void* datasource, ogg_int64_t offset, int whence) {
        auto* file = static_cast<TFile*>(datasource);
        int64_t position = 0;
        if (!SeekTarget(file->Tell(), file->GetSize(), offset, whence, &position)) {
            return -1;
        }
        file->Seek(static_cast<int32_t>(position), 1);
        return 0;
    }

    static int FileClose(void* datasource) {
        delete static_cast<TFile*>(datasource);
        return 0;
    }

    static long FileTell(void* datasource) { return static_cast<TFile*>(datasource)->Tell(); }

    static size_t MemoryRead(void* ptr, size_t size, size_t count, void* datasource) {
        auto* file = static_cast<OggMemoryFile*>(datasource);
        if (size == 0 || count == 0) {
            return 0;
        }
        int64_t left = static_cast<int64_t>(file->bytes.size()) - file->position;
        size_t elements =
            std::min<size_t>(count, static_cast<size_t>(std::max<int64_t>(left, 0)) / size);
        size_t n = elements * size;
        if (n) {
            std::memcpy(ptr, file->bytes.data() + file->position, n);
            file->position += static_cast<int64_t>(n);
        }
        return elements;
    }

    static int MemorySeek(void* datasource, ogg_int64_t offset, int whence) {
        auto* file = static_cast<OggMemoryFile*>(datasource);
        return SeekTarget(file->position, static_cast<int64_t>(file->bytes.size()), offset, whence,
                          &file->position)
                   ? 0
                   : -1;
    }

    static int MemoryClose(void* datasource) {
        delete static_cast<OggMemoryFile*>(datasource);
        return 0;
    }

    static long MemoryTell(void* datasource) {
        return static_cast<long>(static_cast<OggMemoryFile*>(datasource)->position);
    }
};

TOggDataSource::TOggDataSource() = default;

TOggDataSource::~TOggDataSource() {
    Close();
}

void TOggDataSource::Close() {
    if (mDecoder) {
        ov_clear(mDecoder.get()); // closes the data source too
        mDecoder.reset();
    }
    mSampleRate = 0;
    mChannels = 0;
    mDuration = 0.0;
    mSize = 0;
    mFrames = 0;
    mPosition = 0;
    mCarry.clear();
}

bool TOggDataSource::Open(const TString& name, bool stream) {
    Close();
    auto file = std::make_unique<TFile>();
    if (!file->Open(name.CStr(), 0) && !file->Open((name + ".ogg").CStr(), 0)) {
        return false;
    }
    if (stream) {
        return OpenDecoder(file.release(), false);
    }
    file->Seek(0, 2);
    int32_t size = std::max(file->Tell(), 0);
    file->Seek(0, 1);
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    int32_t got = size ? file->Read(bytes.data(), size) : 0;
    bytes.resize(static_cast<size_t>(std::max(got, 0)));
    file->Close();
    return OpenMemory(std::move(bytes));
}

bool TOggDataSource::OpenMemory(std::vector<uint8_t> bytes) {
    Close();
    auto* memory = new OggMemoryFile;
    memory->bytes = std::move(bytes);
    return OpenDecoder(memory, true);
}

bool TOggDataSource::OpenDecoder(void* datasource, bool memory) {
    ov_callbacks callbacks;
    if (memory) {
        callbacks = {&Callbacks::MemoryRead, &Callbacks::MemorySeek, &Callbacks::MemoryClose,
                     &Callbacks::MemoryTell};
    } else {
        callbacks = {&Callbacks::FileRead, &Callbacks::FileSeek, &Callbacks::FileClose,
                     &Callbacks::FileTell};
    }
    mDecoder = std::make_unique<OggVorbis_File>();
    std::memset(mDecoder.get(), 0, sizeof(OggVorbis_File));
    if (ov_open_callbacks(datasource, mDecoder.get(), nullptr, 0, callbacks) < 0) {
        // A failed open leaves the data source to its owner.
        callbacks.close_func(datasource);
        mDecoder.reset();
        LogPrintf("OGG file could not be opened");
        return false;
    }
    vorbis_info* info = ov_info(mDecoder.get(), -1);
    ogg_int64_t frames = ov_pcm_total(mDecoder.get(), -1);
    if (!info || info->channels <= 0 || info->rate <= 0 || frames < 0) {
        Close();
        LogPrintf("OGG file could not be opened");
        return false;
    }
    const uint64_t frameBytes = 2 * static_cast<uint64_t>(info->channels);
    // A stream that claims more frames than a size can count is damaged or
    // crafted; so is one that cannot even be put back at its start.
    if (static_cast<uint64_t>(frames) > UINT64_MAX / frameBytes ||
        ov_raw_seek(mDecoder.get(), 0) != 0) {
        Close();
        LogPrintf("OGG file could not be opened");
        return false;
    }
    mSampleRate = static_cast<uint32_t>(info->rate);
    mChannels = static_cast<uint32_t>(info->channels);
    mDuration = ov_time_total(mDecoder.get(), -1);
    mFrames = static_cast<uint64_t>(frames);
    mSize = mFrames * frameBytes;
    mPosition = 0;
    return true;
}

bool TOggDataSource::SeekTo(uint32_t offset) {
    mCarry.clear();
    if (offset == 0) {
        // Back to the start through the page layer: a sample-exact seek
        // decodes from a guessed page, which some damaged streams answer
        // with a fault inside the decoder; plain decoding from the start
        // gives the same bytes.
        if (ov_raw_seek(mDecoder.get(), 0) != 0) {
            return false;
        }
        mPosition = 0;
        return true;
    }
    // Offsets count bytes of whole frames: one frame is a 16-bit sample
    // per channel. Only a frame inside the stream is sought.
    const uint32_t frameBytes = 2 * mChannels;
    const uint64_t frame = offset / frameBytes;
    if (frame >= mFrames || ov_pcm_seek(mDecoder.get(), static_cast<ogg_int64_t>(frame)) != 0) {
        return false;
    }
    mPosition = static_cast<uint32_t>(frame * frameBytes);
    return true;
}

long TOggDataSource::Decode(char* dest, uint32_t bytes) {
    int section = 0;
    const int wanted = static_cast<int>(std::min<uint32_t>(bytes, INT_MAX));
    for (int holes = 0;;) {
        long got = ov_read(mDecoder.get(), dest, wanted, 0, 2, 1, &section);
        // A hole is a lost stretch of a damaged file; anything else ends
        // the data here.
        if (got == OV_HOLE && ++holes < kMaxHolesInARow) {
            continue;
        }
        return std::max(got, 0L);
    }
}

uint32_t TOggDataSource::Read(void* dest, uint32_t offset, uint32_t count) {
    TSoundLock lock;
    if (!mDecoder || !dest) {
        return 0;
    }
    if (offset != mPosition && !SeekTo(offset)) {
        return 0;
    }
    auto* out = static_cast<char*>(dest);
    uint32_t done = 0;
    const uint32_t frameBytes = 2 * mChannels;
    while (done < count) {
        if (mCarry.empty() && count - done < frameBytes) {
            // The decoder hands out whole frames only: the rest of a frame
            // cut by this read waits for the next one.
            mCarry.resize(frameBytes);
            mCarry.resize(
                static_cast<size_t>(Decode(reinterpret_cast<char*>(mCarry.data()), frameBytes)));
            if (mCarry.empty()) {
                break;
            }
        }
        if (!mCarry.empty()) {
            uint32_t n = std::min<uint32_t>(count - done, static_cast<uint32_t>(mCarry.size()));
            std::memcpy(out + done, mCarry.data(), n);
            mCarry.erase(mCarry.begin(), mCarry.begin() + n);
            done += n;
            continue;
        }
        long got = Decode(out + done, count - done);
        if (got == 0) {
            break;
        }
        done += static_cast<uint32_t>(got);
    }
    mPosition += done;
    return done;
}

std::shared_ptr<TSoundDataSource> TOggDataSourceBuilder::Build(const TString& name, bool stream) {
    auto ogg = std::make_shared<TOggDataSource>();
    if (!ogg->Open(name, stream)) {
        return nullptr;
    }
    if (stream) {
        return ogg;
    }
    if (ogg->GetDuration() >= 2.0 && !GetSettingBool(TSettingKey::kKeepOggUncompressed)) {
        return ogg;
    }
    return std::make_shared<TMemDataSource>(*ogg);
}

void RegisterOggDataSourceBuilder() {
    static TOggDataSourceBuilder builder;
    TSoundDataSourceBuilder::Register("ogg", &builder);
}

bool IsOggDataSourceRegistered() {
    return TSoundDataSourceBuilder::Find("ogg") != nullptr;
}
