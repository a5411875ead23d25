#pragma once

#include "framework/core/files/TFileData.h"

#include <cstdio>

// A file on disk, read and written through a buffered stream. Text modes
// drop CR bytes when reading and write LF line ends as they are. Any mode
// number other than 0 to 5 opens for reading as text.
class TDiskFileData : public TFileData {
public:
    TDiskFileData() = default;
    ~TDiskFileData() override;
    TDiskFileData(const TDiskFileData&) = delete;
    TDiskFileData& operator=(const TDiskFileData&) = delete;

    bool Open(const char* location, int32_t mode) override;
    void Close() override;
    void UngetByte() override;
    void Seek(int32_t offset, int32_t origin) override;
    int32_t GetSize() override;
    int32_t Tell() override;
    int32_t Read(void* buffer, int32_t count) override;
    int32_t Write(const void* buffer, int32_t count) override;
    bool AtEnd() override;

private:
    FILE* mStream = nullptr;
    int mLastByte = -1;
    bool mText = false;
};
