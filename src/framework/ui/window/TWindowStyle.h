#pragma once

#include "framework/core/text/TColor32.h"
#include "framework/core/text/TString.h"

class TLuaFunction;
class TLuaTable;

// The view of a window's creation table through which it reads its keys. A
// key the table lacks is looked up in the global "gCurrentDefaultStyle",
// then in that style's "parent", its "parent" and so on; the window
// table's own "parent" is not followed. The style does not own the table.
// Every reader leaves the script stack as it found it.
class TWindowStyle {
public:
    explicit TWindowStyle(TLuaTable* table) : mTable(table) {}
    virtual ~TWindowStyle() = default;

    TLuaTable* GetTable() const { return mTable; }

    // With the table to search on top of the stack: leaves the key's value
    // on the stack and answers true, or leaves the stack as it was.
    bool FindField(const char* key, bool topLevel) const;

    double GetNumber(const char* key, double defaultValue) const;
    int32_t GetInt(const char* key, int32_t defaultValue) const;
    TString GetString(const char* key, const TString& defaultValue = TString()) const;
    // Elements 1 to 4; a missing element reads 0, not the default's channel.
    TColor GetColor(const char* key, const TColor& defaultValue) const;
    bool GetBool(const char* key, bool defaultValue) const;
    // New wrappers of the value (the caller deletes them), null when the
    // key is not found.
    TLuaTable* GetTable(const char* key) const;
    TLuaFunction* GetFunction(const char* key) const;

private:
    // Pushes the table and looks the key up; true with the value on top
    // (above the table). The caller restores the stack.
    bool Find(const char* key) const;

    TLuaTable* mTable = nullptr;
};
