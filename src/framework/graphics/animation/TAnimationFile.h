#pragma once

#include "framework/core/text/TString.h"
#include "framework/graphics/animation/TAnimationData.h"

#include <cstddef>
#include <cstdint>
#include <string>

class TXmlNode;

// The two forms of an animation file, with the same content: XML (root
// "sequence" with "img", "framelist" and "script") and the binary ".anm"
// (chunks "ANIM", "IMGN", "FRMS", "SCRP", little-endian). Readers fill the
// record only when the whole read succeeds; every failure leaves a log line
// naming the animation. Both refuse an animation without frames, and one
// with a frame whose rectangle leaves the image (the image size the file
// declares; any size when it declares none).

// The ".anm" version this program writes: per-frame alpha and transform.
inline constexpr int32_t kAnimationFileVersion = 2;

// Reads the XML form from a loaded document (its top-level "sequence").
bool ReadAnimationXml(const TXmlNode& document, const TString& assetName, TAnimationData& data);
// Loads a file through the file layer (packs and packed XML included).
bool ReadAnimationXmlFile(const TString& fileName, TAnimationData& data);

bool ReadAnimationAnm(const uint8_t* bytes, size_t size, const TString& assetName,
                      TAnimationData& data);
bool ReadAnimationAnmFile(const TString& fileName, TAnimationData& data);

// The record as an ".anm" file of the current version.
std::string WriteAnimationAnm(const TAnimationData& data);
// The record as an XML file that reads back to the same record: every
// frame carries its registration and transform (a frame without a transform
// after one with it writes the "no transform" value).
std::string WriteAnimationXml(const TAnimationData& data);

// Finds and reads an animation by its asset name: the name as given, else
// with ".xml" appended, else with ".anm" appended; the form follows the
// extension in the name found. On success the record's asset name and
// directory are set, and a non-empty image or mask replaces the file's.
bool LoadAnimationData(const TString& assetName, const TString& image, const TString& mask,
                       TAnimationData& data);

// An integer of an animation's XML file: blanks, an optional sign and the
// leading digits (no number reads 0; values past the int range stop at it).
int32_t ParseAnimationInt(const char* text);
