#pragma once

#include <cstdint>

// Open modes of every file object: 0 "rb", 1 "rt", 2 "wb", 3 "wt", 4 "ab",
// 5 "at". Modes 0 and 1 read, 2 to 5 write. Text modes drop CR bytes when
// reading and write LF line ends unchanged.
enum TFileMode : int32_t {
    kFileReadBinary = 0,
    kFileReadText = 1,
    kFileWriteBinary = 2,
    kFileWriteText = 3,
    kFileAppendBinary = 4,
    kFileAppendText = 5,
};

// Seek origins. Note the order: 0 is the current position, not the start.
enum TFileOrigin : int32_t {
    kSeekCurrent = 0,
    kSeekStart = 1,
    kSeekEnd = 2,
};

// One open file of some kind: a file on disk, a block of memory or an entry
// of a mapped pack file. A TFile handle owns exactly one of these; readers
// only ever see these operations, whatever the kind.
class TFileData {
public:
    virtual ~TFileData() = default;

    // Opens a location text (a disk path, "@pack:offset,size" or
    // "&address,size") in one of the modes above.
    virtual bool Open(const char* location, int32_t mode) = 0;
    virtual void Close() = 0;
    // Steps back one byte after a read (one step only).
    virtual void UngetByte() = 0;
    virtual void Seek(int32_t offset, int32_t origin) = 0;
    virtual int32_t GetSize() = 0;
    virtual int32_t Tell() = 0;
    // Number of bytes delivered into buffer (at most count).
    virtual int32_t Read(void* buffer, int32_t count) = 0;
    // Number of bytes written.
    virtual int32_t Write(const void* buffer, int32_t count) = 0;
    virtual bool AtEnd() = 0;
};
