#include "framework/core/files/TFile.h"

#include "framework/core/files/TDiskFileData.h"
#include "framework/core/files/TFileSystem.h"
#include "framework/core/files/TFlatFileMap.h"
#include "framework/core/files/TMemoryFile.h"

#include "platform/files/Folders.h"

#include <string>

namespace {

// Creates the missing folders between a data folder and the file that a
// location names inside it. Locations elsewhere get no folders made.
void MakeFoldersFor(const std::string& location) {
    for (const TString& dataFolder : {GetUserDataFolderText(), GetCommonDataFolderText()}) {
        std::string base = dataFolder.ToStd();
        // The location must lie inside the folder, not merely share its
        // text ("/data/Game2/x" is not inside "/data/Game").
        if (base.empty() || location.size() <= base.size() + 1 ||
            location.compare(0, base.size(), base) != 0 ||
            (base.back() != '/' && location[base.size()] != '/'))
            continue;
        // The levels between the folder's own separator and the file.
        platform::MakeFolderLevels(location.substr(0, location.rfind('/')), base.size() + 1);
        return;
    }
}

} // namespace

bool TFile::Open(const char* name, int32_t mode) {
    Close();
    TString location = ResolvePath(name, mode < kFileWriteBinary);
    if (location.IsEmpty())
        return false;
    if (location.CharAt(0) == '@' || location.CharAt(0) == '&') {
        std::unique_ptr<TFileData> data;
        if (location.CharAt(0) == '@')
            data = std::make_unique<TFlatFileMap>();
        else
            data = std::make_unique<TMemoryFile>();
        // A file object that did not open is not kept: IsOpen must not
        // report a file that cannot be read.
        if (!data->Open(location.CStr(), mode))
            return false;
        mData = std::move(data);
        return true;
    }
    if (mode >= kFileWriteBinary && mode <= kFileAppendText)
        MakeFoldersFor(location.ToStd());
    auto disk = std::make_unique<TDiskFileData>();
    if (!disk->Open(location.CStr(), mode))
        return false;
    mData = std::move(disk);
    return true;
}

TFile* FileOpen(const char* name, int32_t mode) {
    TFile* file = new TFile;
    if (!file->Open(name, mode)) {
        delete file;
        return nullptr;
    }
    return file;
}

void FileClose(TFile* file) {
    if (!file)
        return;
    file->Close();
    delete file;
}

void FileSeek(TFile* file, int32_t offset, int32_t origin) {
    if (file)
        file->Seek(offset, origin);
}

int32_t FileTell(TFile* file) {
    return file ? file->Tell() : -1;
}

int32_t FileRead(TFile* file, void* buffer, int32_t count) {
    return file ? file->Read(buffer, count) : 0;
}

int32_t FileWrite(TFile* file, const void* buffer, int32_t count) {
    return file ? file->Write(buffer, count) : 0;
}

bool FileEof(TFile* file) {
    return file ? file->AtEnd() : true;
}

int FileGetc(TFile* file) {
    if (!file || file->AtEnd())
        return -1;
    unsigned char byte = 0;
    if (file->Read(&byte, 1) != 1)
        return -1;
    return byte;
}

void FileUngetc(TFile* file) {
    if (file)
        file->UngetByte();
}

bool FileIsClosed(TFile* file) {
    return file ? !file->IsOpen() : true;
}

char* FileGets(TFile* file, char* buffer, int32_t size) {
    if (!buffer || size <= 0)
        return nullptr;
    int32_t stored = 0;
    while (file && stored < size - 1) {
        unsigned char byte = 0;
        if (file->Read(&byte, 1) != 1)
            break;
        buffer[stored++] = static_cast<char>(byte);
        if (byte == '\n' || byte == '\r')
            break;
    }
    buffer[stored] = 0;
    if (!file || file->AtEnd())
        return nullptr;
    return buffer + stored;
}
