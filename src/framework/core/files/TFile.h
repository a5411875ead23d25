#pragma once

#include "framework/core/files/TFileData.h"

#include <cstdint>
#include <memory>

// A handle on one open file, whatever its kind. Open resolves a logical
// name (see TFileSystem.h) and builds the file object that fits the
// location: a pack entry, a memory block or a disk file. Every operation is
// safe on a handle without a file.
class TFile {
public:
    TFile() = default;
    ~TFile() = default;
    TFile(const TFile&) = delete;
    TFile& operator=(const TFile&) = delete;

    // Closes what the handle holds, then opens the logical name ("user:x",
    // "::path", "scripts/main.lua", ...). Writing modes create missing
    // folders under the user and common data folders.
    bool Open(const char* name, int32_t mode);
    bool IsOpen() const { return mData != nullptr; }
    void Close() { mData.reset(); }

    bool AtEnd() { return mData ? mData->AtEnd() : true; }
    void Seek(int32_t offset, int32_t origin) {
        if (mData)
            mData->Seek(offset, origin);
    }
    int32_t GetSize() { return mData ? mData->GetSize() : 0; }
    int32_t Tell() { return mData ? mData->Tell() : -1; }
    int32_t Read(void* buffer, int32_t count) { return mData ? mData->Read(buffer, count) : 0; }
    int32_t Write(const void* buffer, int32_t count) {
        return mData ? mData->Write(buffer, count) : 0;
    }
    void UngetByte() {
        if (mData)
            mData->UngetByte();
    }

private:
    std::unique_ptr<TFileData> mData;
};

// Stream-like functions over a handle allocated on the heap.
// FileOpen returns null when the name does not open.
TFile* FileOpen(const char* name, int32_t mode);
void FileClose(TFile* file); // null is allowed
void FileSeek(TFile* file, int32_t offset, int32_t origin);
int32_t FileTell(TFile* file);
int32_t FileRead(TFile* file, void* buffer, int32_t count);
int32_t FileWrite(TFile* file, const void* buffer, int32_t count);
bool FileEof(TFile* file);
// The next byte as 0..255, or -1 at the end.
int FileGetc(TFile* file);
void FileUngetc(TFile* file);
bool FileIsClosed(TFile* file);
// Reads one line (at most size-1 bytes, the CR or LF that ends it kept)
// into buffer and terminates it. Returns the terminator's address, or null
// when the file is at its end after the read, even if bytes were stored.
char* FileGets(TFile* file, char* buffer, int32_t size);
// The same with the buffer first, as the C library orders it.
inline char* FileGets(char* buffer, int32_t size, TFile* file) {
    return FileGets(file, buffer, size);
}
