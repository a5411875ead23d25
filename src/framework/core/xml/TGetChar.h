#pragma once

#include "framework/core/files/TFile.h"
#include "framework/core/text/TString.h"

#include <cstddef>

// A byte source for the XML reader. GetByte gives the next byte as 0..255,
// or -1 at the end of the data; Unget steps back one byte and returns the
// byte it was given, or -1 when already at the start; Rewind goes back to
// the first byte.
class TGetChar {
public:
    virtual ~TGetChar() = default;
    virtual int Unget(int byte) = 0;
    virtual int GetByte() = 0;
    virtual void Rewind() = 0;
};

// Reads a file through the file layer, opened "rb" when the source is built
// and closed when it is destroyed.
class TGetCharFile : public TGetChar {
public:
    explicit TGetCharFile(const TString& name);
    ~TGetCharFile() override = default;

    int Unget(int byte) override;
    int GetByte() override;
    void Rewind() override;
    // Closes the file and opens the same name again.
    virtual bool Reopen();

    bool IsOpen() const { return mFile.IsOpen(); }
    TFile& GetFile() { return mFile; }

private:
    TString mName;
    TFile mFile;
};

// Reads a block of bytes that it does not own.
class TGetCharString : public TGetChar {
public:
    TGetCharString(const char* data, size_t length, size_t position = 0)
        : mData(data), mPosition(position), mLength(length) {}

    int Unget(int byte) override;
    int GetByte() override;
    void Rewind() override { mPosition = 0; }

private:
    const char* mData;
    size_t mPosition;
    size_t mLength;
};
