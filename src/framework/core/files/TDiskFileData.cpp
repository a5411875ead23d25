#include "framework/core/files/TDiskFileData.h"

#include "platform/files/RegularFile.h"

#include <climits>
#include <cstring>
#include <sys/stat.h>

namespace {

int32_t ClampPosition(long position) {
    if (position < 0)
        return 0;
    return position > INT32_MAX ? INT32_MAX : static_cast<int32_t>(position);
}

} // namespace

TDiskFileData::~TDiskFileData() {
    Close();
}

bool TDiskFileData::Open(const char* location, int32_t mode) {
    Close();
    if (!location || !*location)
        return false;
    if (mode < kFileReadBinary || mode > kFileAppendText)
        mode = kFileReadText;
    // The stream itself is always binary; text modes are handled here.
    static const char* const kModes[] = {"rb", "rb", "wb", "wb", "ab", "ab"};
    mText = mode == kFileReadText || mode == kFileWriteText || mode == kFileAppendText;
    FILE* stream = nullptr;
    if (mode <= kFileReadText) {
        // Names to read come from folders anyone may have put things in:
        // only a regular file is read, so that a FIFO cannot block the
        // program and a device cannot feed it for ever.
        stream = platform::OpenRegularFileStream(location);
        if (!stream)
            return false;
    } else {
        stream = std::fopen(location, kModes[mode]);
        if (!stream)
            return false;
        // A folder opens as a stream on this platform but takes nothing.
        struct stat st;
        if (::fstat(fileno(stream), &st) != 0 || S_ISDIR(st.st_mode)) {
            std::fclose(stream);
            return false;
        }
    }
    mStream = stream;
    mLastByte = -1;
    return true;
}

void TDiskFileData::Close() {
    if (mStream)
        std::fclose(mStream);
    mStream = nullptr;
    mLastByte = -1;
}

void TDiskFileData::UngetByte() {
    if (!mStream)
        return;
    if (mLastByte >= 0)
        std::ungetc(mLastByte, mStream);
    mLastByte = -1;
}

void TDiskFileData::Seek(int32_t offset, int32_t origin) {
    if (!mStream)
        return;
    int whence;
    switch (origin) {
    case kSeekCurrent:
        whence = SEEK_CUR;
        break;
    case kSeekStart:
        whence = SEEK_SET;
        break;
    case kSeekEnd:
        whence = SEEK_END;
        break;
    default:
        return;
    }
    std::fseek(mStream, offset, whence);
}

int32_t TDiskFileData::GetSize() {
    if (!mStream)
        return 0;
    long saved = std::ftell(mStream);
    std::fseek(mStream, 0, SEEK_END);
    long size = std::ftell(mStream);
    std::fseek(mStream, saved < 0 ? 0 : saved, SEEK_SET);
    return ClampPosition(size);
}

int32_t TDiskFileData::Tell() {
    if (!mStream)
        return 0;
    return ClampPosition(std::ftell(mStream));
}

int32_t TDiskFileData::Read(void* buffer, int32_t count) {
    if (!mStream || !buffer || count <= 0)
        return 0;
    unsigned char* out = static_cast<unsigned char*>(buffer);
    size_t wanted = static_cast<size_t>(count);
    size_t delivered = 0;
    while (delivered < wanted) {
        size_t got = std::fread(out + delivered, 1, wanted - delivered, mStream);
        if (got == 0)
            break;
        if (mText) {
            // Drop CR bytes and read again for the room they leave.
            size_t kept = delivered;
            for (size_t i = delivered; i < delivered + got; ++i) {
                if (out[i] != '\r')
                    out[kept++] = out[i];
            }
            delivered = kept;
        } else {
            delivered += got;
            break;
        }
    }
    if (delivered > 0)
        mLastByte = out[delivered - 1];
    return static_cast<int32_t>(delivered);
}

int32_t TDiskFileData::Write(const void* buffer, int32_t count) {
    if (!mStream || !buffer || count <= 0)
        return 0;
    return static_cast<int32_t>(std::fwrite(buffer, 1, static_cast<size_t>(count), mStream));
}

bool TDiskFileData::AtEnd() {
    return mStream ? std::feof(mStream) != 0 : true;
}
