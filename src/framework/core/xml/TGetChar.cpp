#include "framework/core/xml/TGetChar.h"

TGetCharFile::TGetCharFile(const TString& name) : mName(name) {
    mFile.Open(mName.CStr(), 0);
}

int TGetCharFile::Unget(int byte) {
    if (mFile.Tell() <= 0) {
        return -1;
    }
    mFile.Seek(-1, 0);
    return byte;
}

int TGetCharFile::GetByte() {
    unsigned char byte = 0;
    return mFile.Read(&byte, 1) == 1 ? byte : -1;
}

void TGetCharFile::Rewind() {
    mFile.Seek(0, 1);
}

bool TGetCharFile::Reopen() {
    mFile.Close();
    return mFile.Open(mName.CStr(), 0);
}

int TGetCharString::Unget(int byte) {
    if (mPosition == 0) {
        return -1;
    }
    --mPosition;
    return byte;
}

int TGetCharString::GetByte() {
    if (!mData || mPosition >= mLength) {
        return -1;
    }
    return static_cast<unsigned char>(mData[mPosition++]);
}
