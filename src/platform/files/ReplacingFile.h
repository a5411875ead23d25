#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

namespace platform {

// Writes a file that replaces another only once it is complete: the bytes
// go to a new file beside the target, which takes the target's name when
// everything was written and flushed. A failed write (a full disk) leaves
// the old file as it was, and the new one is removed. A target that is a
// symbolic link is replaced where the link leads.
class ReplacingFile {
public:
    ReplacingFile() = default;
    ~ReplacingFile() { Abandon(); }
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // Creates the new file beside path. False with a reason when it cannot.
    bool Open(const std::string& path, std::string& error);
    // Appends bytes; false once a write has failed.
    bool Write(const void* data, size_t size);
    // Flushes the bytes to the disk and puts the new file in place. False
    // with a reason (and the old file untouched) when any step failed.
    bool Commit(std::string& error);
    // Removes the new file; the target stays as it was.
    void Abandon();

    // The name of the new file while it is being written.
    const std::string& TemporaryPath() const { return mTemporary; }

private:
    std::string mTarget;
    std::string mTemporary;
    FILE* mStream = nullptr;
    bool mFailed = false;
    int mError = 0;
};

} // namespace platform
