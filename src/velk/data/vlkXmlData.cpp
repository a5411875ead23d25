#include "velk/data/vlkXmlData.h"

#include "framework/core/xml/TXmlNode.h"
#include "velk/data/XmlRoot.h"

namespace {

const TString kIdKey("_id_");

} // namespace

vlkXmlData::vlkXmlData(const TString& fileName) : mFileName(fileName) {
    TXmlNode document;
    TXmlNode* root = LoadXmlRoot(document, fileName, "xmlData", "vlkXmlData");
    if (!root)
        return;
    TString name;
    TXmlNode* table = nullptr;
    root->BeginChildren();
    while (root->NextChild(name, table))
        ReadTable(name, table);
}

vlkXmlData::~vlkXmlData() = default;

void vlkXmlData::ReadTable(const TString& name, TXmlNode* table) {
    TString type = table->GetAttribute("type");
    type.ToLower();
    TString tag;
    TXmlNode* child = nullptr;
    if (type == TString("multiple")) {
        TXmlListTable list;
        table->BeginChildren();
        while (table->NextChild(tag, child)) {
            vlkTextMap record;
            const TString recordName = child->GetAttribute("name");
            record[kIdKey] = recordName;
            TString key;
            TXmlNode* field = nullptr;
            child->BeginChildren();
            while (child->NextChild(key, field))
                record[key] = field->GetText();
            list.records.push_back(std::move(record));
            if (!recordName.IsEmpty())
                list.nameIndex[recordName] = static_cast<int>(list.records.size()) - 1;
        }
        mLists[name] = std::move(list);
    } else if (type == TString("vector")) {
        std::pair<std::vector<TString>, std::vector<TString>> entries;
        table->BeginChildren();
        while (table->NextChild(tag, child)) {
            entries.second.push_back(child->GetAttribute("name"));
            entries.first.push_back(child->GetText());
        }
        mVectors[name] = std::move(entries);
    } else {
        vlkTextMap values;
        table->BeginChildren();
        while (table->NextChild(tag, child))
            values[tag] = child->GetText();
        mPlain[name] = std::move(values);
    }
}

TString vlkXmlData::GetValue(const TString& table, const TString& key) {
    return mPlain[table][key];
}

TString vlkXmlData::GetValueOr(const TString& table, const TString& key,
                               const TString& defaultValue) const {
    auto found = mPlain.find(table);
    if (found == mPlain.end())
        return defaultValue;
    auto value = found->second.find(key);
    return value == found->second.end() ? defaultValue : value->second;
}

int vlkXmlData::GetRecordCount(const TString& table) const {
    auto found = mLists.find(table);
    return found == mLists.end() ? 0 : static_cast<int>(found->second.records.size());
}

const TString* vlkXmlData::FindField(const TString& table, int index, const TString& key) const {
    auto found = mLists.find(table);
    if (found == mLists.end() || index < 0 ||
        index >= static_cast<int>(found->second.records.size()))
        return nullptr;
    const vlkTextMap& record = found->second.records[static_cast<size_t>(index)];
    auto value = record.find(key);
    return value == record.end() ? nullptr : &value->second;
}

TString vlkXmlData::GetRecordName(const TString& table, int index) const {
    return GetRecordString(table, index, kIdKey);
}

TString vlkXmlData::GetRecordString(const TString& table, int index, const TString& key) const {
    return GetRecordStringOr(table, index, key, TString());
}

TString vlkXmlData::GetRecordStringOr(const TString& table, int index, const TString& key,
                                      const TString& defaultValue) const {
    const TString* value = FindField(table, index, key);
    return value ? *value : defaultValue;
}

int vlkXmlData::GetRecordInt(const TString& table, int index, const TString& key) const {
    return GetRecordIntOr(table, index, key, 0);
}

int vlkXmlData::GetRecordIntOr(const TString& table, int index, const TString& key,
                               int defaultValue) const {
    const TString* value = FindField(table, index, key);
    return value ? value->ToInt() : defaultValue;
}

float vlkXmlData::GetRecordFloatOr(const TString& table, int index, const TString& key,
                                   float defaultValue) const {
    const TString* value = FindField(table, index, key);
    return value ? value->ToFloat() : defaultValue;
}

int vlkXmlData::FindRecord(const TString& table, const TString& name) const {
    auto found = mLists.find(table);
    if (found == mLists.end())
        return -1;
    auto index = found->second.nameIndex.find(name);
    return index == found->second.nameIndex.end() ? -1 : index->second;
}

const std::pair<std::vector<TString>, std::vector<TString>>*
vlkXmlData::GetVectorTable(const TString& table) const {
    auto found = mVectors.find(table);
    return found == mVectors.end() ? nullptr : &found->second;
}
