#include "framework/sound/source/TOggDataSource.h"

#include "framework/core/files/TFile.h"
#include "framework/core/log/TLog.h"
#include "framework/core/settings/TSettings.h"
#include "framework/sound/manager/TSoundManager.h"
#include "framework/sound/source/TMemDataSource.h"

#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>

namespace {
// A whole compressed file in memory, read by the memory callbacks.
struct OggMemoryFile {
    std::vector<uint8_t> bytes;
    int64_t position = 0;
};

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
        int32_t origin = 1;
        if (whence == SEEK_CUR) {
            origin = 0;
        } else if (whence == SEEK_END) {
            origin = 2;
        }
        file->Seek(static_cast<int32_t>(std::clamp<ogg_int64_t>(offset, INT_MIN, INT_MAX)), origin);
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
        const int64_t size = static_cast<int64_t>(file->bytes.size());
        int64_t position;
        if (whence == SEEK_SET) {
            position = offset;
        } else if (whence == SEEK_CUR) {
            position = file->position + offset;
        } else if (whence == SEEK_END) {
            position = size + offset;
        } else {
            return -1;
        }
        file->position = std::clamp<int64_t>(position, 0, size);
        return 0;
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
    mPosition = 0;
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
    mSampleRate = static_cast<uint32_t>(info->rate);
    mChannels = static_cast<uint32_t>(info->channels);
    mDuration = ov_time_total(mDecoder.get(), -1);
    mSize = static_cast<uint64_t>(frames) * mChannels * 2;
    ov_pcm_seek(mDecoder.get(), 0);
    mPosition = 0;
    return true;
}

uint32_t TOggDataSource::Read(void* dest, uint32_t offset, uint32_t count) {
    TSoundLock lock;
    if (!mDecoder || !dest) {
        return 0;
    }
    if (offset != mPosition) {
        // Offsets count bytes of whole frames: one frame is a 16-bit
        // sample per channel.
        uint32_t frameBytes = 2 * mChannels;
        ogg_int64_t frame = offset / frameBytes;
        if (ov_pcm_seek(mDecoder.get(), frame) != 0) {
            return 0;
        }
        mPosition = static_cast<uint32_t>(frame * frameBytes);
    }
    auto* out = static_cast<char*>(dest);
    uint32_t done = 0;
    int holes = 0;
    int section = 0;
    while (done < count) {
        int wanted = static_cast<int>(std::min<uint32_t>(count - done, INT_MAX));
        long got = ov_read(mDecoder.get(), out + done, wanted, 0, 2, 1, &section);
        if (got == 0) {
            break;
        }
        if (got < 0) {
            // A hole is a lost stretch of a damaged file; anything else
            // ends the data here.
            if (got == OV_HOLE && ++holes < kMaxHolesInARow) {
                continue;
            }
            break;
        }
        holes = 0;
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
