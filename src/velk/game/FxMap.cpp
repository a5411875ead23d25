#include "velk/game/FxMap.h"

#include "framework/core/xml/TXmlNode.h"
#include "velk/data/XmlRoot.h"
#include "velk/data/vlkTextLess.h"

#include <map>

namespace {

std::map<TString, TString, vlkTextLess>& Effects() {
    static std::map<TString, TString, vlkTextLess> effects;
    return effects;
}

TString Lowered(TString text) {
    text.ToLower();
    return text;
}

} // namespace

void LoadFxMap(const TString& fileName) {
    TXmlNode document;
    TXmlNode* list = LoadXmlRoot(document, fileName, "FXFiles", "LoadFxMap");
    if (!list)
        return;
    TString tag;
    TXmlNode* child = nullptr;
    list->BeginChildren();
    while (list->NextChild(tag, child)) {
        if (Lowered(tag) != TString("fx"))
            continue;
        Effects().emplace(Lowered(child->GetAttribute("name")),
                          Lowered(child->GetAttribute("path")));
    }
}

TString GetFxPath(const TString& name) {
    auto found = Effects().find(Lowered(name));
    return found == Effects().end() ? TString() : found->second;
}

size_t GetFxCount() {
    return Effects().size();
}

void ClearFxMap() {
    Effects().clear();
}
