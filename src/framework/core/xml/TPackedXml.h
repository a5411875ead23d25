#pragma once

#include "framework/core/text/TString.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// The one loader of XML data files, used by the XML reader and the string
// tables. A file is either plain text or packed:
//
//   offset 0   "ZXML"
//   offset 4   packed size, u32 little-endian: bytes of the zlib stream
//   offset 8   unpacked size, u32 little-endian: bytes of the XML text
//   offset 12  zlib stream (header, deflate data, checksum)
//
// The header is not trusted: the packed size is cut to the bytes that
// follow it, and the unpacked size may not pass kMaxUnpackedXmlSize nor
// what deflate can produce from the packed bytes. A damaged header or
// stream gives no data and a log line, never half-unpacked bytes.

constexpr uint32_t kPackedXmlHeaderSize = 12;
// Data files of the game are far below this; it bounds what a header may
// make us allocate.
constexpr uint32_t kMaxUnpackedXmlSize = 64u * 1024u * 1024u;
// Deflate never expands a byte of its stream to more than 1032 bytes.
constexpr uint32_t kMaxDeflateRatio = 1032;

// True when the data starts with "ZXML".
bool IsPackedXml(const char* data, size_t size);

// Unpacks a packed image into out. On any fault out is empty, the fault is
// logged with sourceName, and the result is false.
bool UnpackXml(const char* data, size_t size, std::vector<char>& out, const char* sourceName);

// The XML text of a block in memory: plain data is copied, packed data is
// unpacked. False (out empty) when packed data is damaged.
bool ReadXmlBuffer(const char* data, size_t size, std::vector<char>& out, const char* sourceName);

// Reads a file through the file layer ("rb") and gives its XML text. False
// (out empty) when the file does not open or cannot be read, or when its
// packed form is damaged; only the damage is logged, since callers probe
// optional files.
bool ReadXmlFile(const TString& name, std::vector<char>& out);
