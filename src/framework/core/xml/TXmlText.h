#pragma once

#include "framework/core/text/TString.h"

#include <cstddef>

// Character-level helpers shared by the XML reader, the XML writer and the
// string tables, so that all three read and write entities the same way.

// The escaped form of a text for the XML writer: every byte below 0x20 or
// above 0x7F becomes a decimal character reference ("&#195;"), and the five
// markup characters become "&amp;", "&lt;", "&gt;", "&quot;" and "&apos;".
TString EscapeXmlText(const char* text);

// Decodes the entities of count bytes, left to right, without rescanning
// what a replacement produced:
//   "&amp;" "&lt;" "&gt;" "&quot;" "&apos;"  -> the character;
//   "&#" ... ";"  (a ";" anywhere later)     -> one byte, the leading decimal
//                                               digits modulo 256 (0 when
//                                               there are none);
//   any other "&"                            -> kept as it is.
// A reference that gives the byte 0 is dropped, and so are raw 0 bytes: a
// TString ends at its first 0 byte. entityLed (may be null) is set when a
// replacement happened at the first byte.
TString DecodeXmlEntities(const char* data, size_t count, bool* entityLed);
