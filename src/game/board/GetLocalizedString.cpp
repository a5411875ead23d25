#include "game/board/GetLocalizedString.h"

#include "framework/core/log/TLog.h"
#include "framework/core/xml/TStringTable.h"
#include "velk/globals/GameGlobals.h"

TString GetLocalizedString(const TString& label, const TString& a1, const TString& a2,
                           const TString& a3, const TString& a4, const TString& a5) {
    if (!gGameStringTable) {
        LogPrintf("GetLocalizedString: no string table for \"%s\"\n", label.CStr());
        return label;
    }
    return gGameStringTable->GetString(label, a1, a2, a3, a4, a5);
}
