#pragma once

// Entry function of the animation and mesh fuzz target. The libFuzzer
// program calls it with generated inputs; the corpus replay test calls it
// with every seed, so each `make test` runs the corpus under the sanitizers.
//
// The input is read as an ".anm" file, as an animation's XML file and as a
// ".mesh" file. Whatever a reader accepts has frames, every one inside the
// image, and survives a trip through either writer and the other reader
// unchanged (the two readers agree); a mesh it accepts indexes only its
// vertices.

#include "framework/core/xml/TXmlNode.h"
#include "framework/graphics/animation/TAnimationFile.h"
#include "framework/graphics/mesh/TModel.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace animationfuzz {

inline void CheckRoundTrips(const TAnimationData& data) {
    if (data.GetFrameCount() == 0 ||
        data.FindFrameOutside(data.mImageWidth, data.mImageHeight) >= 0)
        std::abort();
    const std::string anm = WriteAnimationAnm(data);
    TAnimationData again;
    if (!ReadAnimationAnm(reinterpret_cast<const uint8_t*>(anm.data()), anm.size(), "fuzz",
                          again) ||
        !again.SameContent(data))
        std::abort();
    const std::string xml = WriteAnimationXml(data);
    TXmlNode document;
    document.LoadBuffer(xml.data(), xml.size(), "fuzz.xml");
    TAnimationData fromXml;
    if (!ReadAnimationXml(document, "fuzz.xml", fromXml))
        std::abort();
}

} // namespace animationfuzz

inline int FuzzAnimation(const uint8_t* data, size_t size) {
    std::vector<uint8_t> bytes(data, data + size); // exact size for ASan

    TAnimationData anm;
    if (ReadAnimationAnm(bytes.data(), bytes.size(), "fuzz.anm", anm))
        animationfuzz::CheckRoundTrips(anm);

    TXmlNode document;
    document.LoadBuffer(reinterpret_cast<const char*>(bytes.data()), bytes.size(), "fuzz.xml");
    TAnimationData xml;
    if (ReadAnimationXml(document, "fuzz.xml", xml))
        animationfuzz::CheckRoundTrips(xml);

    TMeshRecord mesh;
    if (ParseMesh(bytes.data(), bytes.size(), mesh) == TMeshParseResult::kOk) {
        if (mesh.GetIndexCount() % 3 != 0)
            std::abort();
        for (uint16_t index : mesh.mIndices) {
            if (index >= mesh.GetVertexCount())
                std::abort();
        }
    }
    return 0;
}
