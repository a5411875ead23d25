#pragma once

#include "framework/core/text/TString.h"
#include "velk/data/vlkTextLess.h"

#include <map>
#include <utility>
#include <vector>

class TXmlNode;

using vlkTextMap = std::map<TString, TString, vlkTextLess>;

// A table of records: each record maps its field keys to their texts, with
// the record's name under "_id_"; the index finds a record by name (the
// last of a repeated name).
struct TXmlListTable {
    std::vector<vlkTextMap> records;
    std::map<TString, int, vlkTextLess> nameIndex;
};

// One game-data file read whole into tables. The file holds an "xmlData"
// element whose children are the tables, each named by its tag: a "type" of
// "multiple" (any case) makes a table of records, "vector" a list of named
// texts, anything else a table of key/value texts. Everything is kept as
// text and converted when asked. A file that cannot be read, or that has
// no "xmlData", is an empty data set. The loaders build one on the stack,
// copy what they need and drop it.
class vlkXmlData {
public:
    explicit vlkXmlData(const TString& fileName);
    vlkXmlData(const vlkXmlData&) = delete;
    vlkXmlData& operator=(const vlkXmlData&) = delete;
    virtual ~vlkXmlData();

    // The name it was read from, for messages.
    const TString& GetFileName() const { return mFileName; }

    // The value of a key of a plain table; empty when absent. The lookup
    // leaves an empty entry behind, which later queries see as present.
    TString GetValue(const TString& table, const TString& key);
    // The value when the key is present in that table, else the default.
    TString GetValueOr(const TString& table, const TString& key, const TString& defaultValue) const;

    // Record queries; the index must be below the record count.
    int GetRecordCount(const TString& table) const;
    TString GetRecordName(const TString& table, int index) const;
    TString GetRecordString(const TString& table, int index, const TString& key) const;
    TString GetRecordStringOr(const TString& table, int index, const TString& key,
                              const TString& defaultValue) const;
    int GetRecordInt(const TString& table, int index, const TString& key) const;
    int GetRecordIntOr(const TString& table, int index, const TString& key, int defaultValue) const;
    float GetRecordFloatOr(const TString& table, int index, const TString& key,
                           float defaultValue) const;

    // The record index of a name, -1 when no record has it.
    int FindRecord(const TString& table, const TString& name) const;

    // Texts and names of a vector table, index-aligned; null when absent.
    const std::pair<std::vector<TString>, std::vector<TString>>*
    GetVectorTable(const TString& table) const;

    bool IsEmpty() const { return mPlain.empty() && mLists.empty() && mVectors.empty(); }

private:
    void ReadTable(const TString& name, TXmlNode* table);
    // The field of a record, or null when the table, record or field is
    // absent.
    const TString* FindField(const TString& table, int index, const TString& key) const;

    std::map<TString, vlkTextMap, vlkTextLess> mPlain;
    std::map<TString, TXmlListTable, vlkTextLess> mLists;
    std::map<TString, std::pair<std::vector<TString>, std::vector<TString>>, vlkTextLess> mVectors;
    TString mFileName;
};
