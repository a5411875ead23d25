#include "framework/core/xml/TPackedXml.h"

#include "framework/core/files/TByteOrder.h"
#include "framework/core/files/TFile.h"
#include "framework/core/log/TLog.h"

#include <zlib.h>

#include <cstring>

bool IsPackedXml(const char* data, size_t size) {
    return data && size >= 4 && std::memcmp(data, "ZXML", 4) == 0;
}

bool UnpackXml(const char* data, size_t size, std::vector<char>& out, const char* sourceName) {
    out.clear();
    const char* source = sourceName ? sourceName : "";
    if (!IsPackedXml(data, size) || size < kPackedXmlHeaderSize) {
        LogPrintf("Packed XML '%s': header cut short (%zu bytes)", source, size);
        return false;
    }
    const uint32_t statedPacked = ReadLittleEndian32(data + 4);
    const uint32_t unpacked = ReadLittleEndian32(data + 8);
    const size_t available = size - kPackedXmlHeaderSize;
    const size_t packed = statedPacked < available ? statedPacked : available;
    if (statedPacked > available) {
        LogPrintf("Packed XML '%s': packed size %u passes the end of the file, %zu bytes used",
                  source, statedPacked, packed);
    }
    if (unpacked > kMaxUnpackedXmlSize ||
        static_cast<uint64_t>(unpacked) > static_cast<uint64_t>(packed) * kMaxDeflateRatio) {
        LogPrintf("Packed XML '%s': unpacked size %u is not possible for %zu packed bytes", source,
                  unpacked, packed);
        return false;
    }
    if (unpacked == 0) {
        return true; // an empty document
    }
    out.resize(unpacked);
    uLongf produced = unpacked;
    const int result = uncompress(reinterpret_cast<Bytef*>(out.data()), &produced,
                                  reinterpret_cast<const Bytef*>(data + kPackedXmlHeaderSize),
                                  static_cast<uLong>(packed));
    if (result != Z_OK) {
        LogPrintf("Packed XML '%s': zlib stream is damaged (zlib error %d), file ignored", source,
                  result);
        out.clear();
        return false;
    }
    out.resize(produced);
    return true;
}

bool ReadXmlBuffer(const char* data, size_t size, std::vector<char>& out, const char* sourceName) {
    if (IsPackedXml(data, size)) {
        return UnpackXml(data, size, out, sourceName);
    }
    out.assign(data, data + (data ? size : 0));
    return true;
}

bool ReadXmlFile(const TString& name, std::vector<char>& out) {
    out.clear();
    TFile file;
    if (!file.Open(name.CStr(), 0)) {
        return false;
    }
    const int32_t size = file.GetSize();
    if (size < 0) {
        LogPrintf("XML file '%s': size cannot be read", name.CStr());
        return false;
    }
    std::vector<char> bytes(static_cast<size_t>(size));
    file.Seek(0, 1);
    const int32_t got = size > 0 ? file.Read(bytes.data(), size) : 0;
    file.Close();
    if (got < 0) {
        LogPrintf("XML file '%s': read failed", name.CStr());
        return false;
    }
    bytes.resize(static_cast<size_t>(got));
    if (!IsPackedXml(bytes.data(), bytes.size())) {
        out.swap(bytes);
        return true;
    }
    return UnpackXml(bytes.data(), bytes.size(), out, name.CStr());
}
