#pragma once

#include "framework/core/text/TString.h"

#include <cstddef>
#include <map>
#include <set>
#include <vector>

// Every text the player sees, looked up by label. The platform object owns
// the one table; it is filled from "strings.xml", further string files and
// the locale's file, and emptied at shut-down.
//
// A string file is a spreadsheet saved as XML (plain or packed "ZXML"). It
// is scanned as raw text, not as a tree: a row starts at each "<Row", a
// cell's text runs from the first ">" after "<Data" to the next "<". A
// row's first cell is the label, its second the text; cells are not
// trimmed and their entities are decoded.
//
// Texts may carry escapes: "%1%" to "%5%" insert an argument, "%label%"
// inserts another label's stored text, "%%" gives "%". A missing label or a
// failed escape gives "#####" and a log line. An expanded text is cut at
// kMaxExpandedSize bytes. With the setting "stringtest"
// on, every byte of a found text other than a blank shows as "x".
class TStringTable {
public:
    static constexpr size_t kArgumentCount = 5;

    TStringTable() = default;
    ~TStringTable() { mStrings.clear(); }

    // Adds the rows of one file; a label already present gets the new text.
    // False when the file does not open or its packed form is damaged; the
    // table is then unchanged.
    bool LoadFile(const TString& name);
    // Empties the table, then loads the file.
    bool Reload(const TString& name);
    // Adds the rows of a file image in memory (plain or packed).
    bool LoadBuffer(const char* data, size_t size, const char* sourceName = "memory");

    // An expanded text never grows past this many bytes: escapes that insert
    // long labels many times are cut there (with one log line per label),
    // so that a small file cannot ask for gigabytes.
    static constexpr size_t kMaxExpandedSize = 1u << 20;

    TString GetString(const TString& label, const TString& a1 = TString(),
                      const TString& a2 = TString(), const TString& a3 = TString(),
                      const TString& a4 = TString(), const TString& a5 = TString()) const;
    // The same, telling whether the label was found and all its escapes
    // worked: false when out is the marker "#####".
    bool Expand(TString& out, const TString& label, const TString& a1 = TString(),
                const TString& a2 = TString(), const TString& a3 = TString(),
                const TString& a4 = TString(), const TString& a5 = TString()) const;

    // Appends the labels meant for a Flash movie's variables: those that
    // begin with "FLASH_", or, only when there are none, those from which
    // sscanf's "flash%2d_%2d" reads at least the first number (and the empty
    // label, on which it reports the end of its input).
    void GetFlashLabels(std::vector<TString>& list) const;

    // Appends every label, in table order.
    void GetLabels(std::vector<TString>& list) const;
    // The stored (unexpanded) text of a label, or null.
    const TString* FindStored(const TString& label) const;
    size_t GetCount() const { return mStrings.size(); }
    void Clear() { mStrings.clear(); }

private:
    // Adds the rows of a text; a text that is not a whole string file (cut
    // short, a zero byte inside, no rows) is logged once, naming the first
    // fault, and what could be read is kept.
    void ScanRows(const char* text, size_t length, const char* sourceName);

    std::map<TString, TString> mStrings;
    // Labels whose expansion was cut, each reported once.
    mutable std::set<TString> mReportedCuts;
};
