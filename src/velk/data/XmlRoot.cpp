#include "velk/data/XmlRoot.h"

#include "framework/core/log/TLog.h"
#include "framework/core/xml/TXmlNode.h"

TXmlNode* LoadXmlRoot(TXmlNode& document, const TString& fileName, const char* root,
                      const char* reader) {
    document.LoadFile(fileName);
    if (!document.HasChildren()) {
        LogPrintf("%s: nothing read from \"%s\"", reader, fileName.CStr());
        return nullptr;
    }
    TXmlNode* element = document.FindChild(root);
    if (!element)
        LogPrintf("%s: \"%s\" has no %s element", reader, fileName.CStr(), root);
    return element;
}
