#include "velk/options/EnterKeyStatement.h"

TString QuoteLuaString(const TString& text) {
    TString quoted("'");
    for (int i = 0; i < text.Length(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text.CharAt(i));
        switch (c) {
        case '\'':
            quoted += TString("\\'");
            break;
        case '\\':
            quoted += TString("\\\\");
            break;
        case '\n':
            quoted += TString("\\n");
            break;
        case '\r':
            quoted += TString("\\r");
            break;
        default:
            // Decimal escapes for the other control bytes, three digits so a
            // following digit cannot join them.
            if (c < 0x20 || c == 0x7F)
                quoted += TString::Format("\\%03u", c);
            else
                quoted += static_cast<char>(c);
            break;
        }
    }
    quoted += '\'';
    return quoted;
}

TString MakeEnterKeyStatement(const TString& function, const TString& text) {
    return TString::Format("%s(%s);", function.CStr(), QuoteLuaString(text).CStr());
}
