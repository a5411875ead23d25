#pragma once

// Entry functions of the XML fuzz targets. The libFuzzer programs call them
// with generated inputs; the corpus replay test calls them with every seed,
// so each `make test` runs the corpus under the sanitizers too.

#include "framework/core/text/TString.h"
#include "framework/core/xml/TStringTable.h"
#include "framework/core/xml/TXmlNode.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// Reads the input as a plain or packed XML file, writes the tree back and
// reads the written text again.
inline int FuzzXmlReader(const uint8_t* data, size_t size) {
    TXmlNode document;
    document.LoadBuffer(reinterpret_cast<const char*>(data), size, "fuzz");
    const TString written = document.ToString();
    TXmlNode again;
    again.LoadBuffer(written.CStr(), static_cast<size_t>(written.Length()), "fuzz-written");
    TString name;
    TXmlNode* child = nullptr;
    document.BeginChildren();
    while (document.NextChild(name, child)) {
        TString value;
        bool quoted = false;
        child->GetAttribute(value, "id", &quoted);
        child->FindChild(name.CStr());
    }
    return 0;
}

// Loads the input as a string file and expands its labels (up to a bound),
// with arguments taken from the labels themselves.
inline int FuzzStringTable(const uint8_t* data, size_t size) {
    TStringTable table;
    table.LoadBuffer(reinterpret_cast<const char*>(data), size, "fuzz");
    std::vector<TString> labels;
    table.GetLabels(labels);
    const size_t count = labels.size() < 64 ? labels.size() : 64;
    for (size_t i = 0; i < count; ++i) {
        const TString& next = labels[(i + 1) % labels.size()];
        table.GetString(labels[i], TString("%") + next + TString("%"), next, TString("%%"),
                        TString("%x"), TString());
    }
    std::vector<TString> flashLabels;
    table.GetFlashLabels(flashLabels);
    return 0;
}
