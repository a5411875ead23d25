// Reading cut-scene files into the definition and making the objects.

#include "framework/core/log/TLog.h"
#include "framework/core/xml/TXmlNode.h"
#include "framework/graphics/text/TTextLayout.h"
#include "velk/cutscene/vlkClouds.h"
#include "velk/cutscene/vlkCutscene.h"
#include "velk/cutscene/vlkSoundCS.h"
#include "velk/cutscene/vlkSpriteCS.h"
#include "velk/cutscene/vlkTextCS.h"

namespace {

constexpr int32_t kMaxFps = 1000;

// Calls visit(lower-case tag, child) for every child in file order.
template <typename Visit> void ForEachChild(const TXmlNode& node, Visit visit) {
    for (size_t i = 0; i < node.GetChildCount(); ++i) {
        TXmlNode& child = *node.GetChild(i);
        TString tag = child.GetName();
        tag.ToLower();
        visit(tag.View(), child);
    }
}

uint32_t HorizontalJustify(const TString& text) {
    if (text.View() == "HCenter")
        return kTextAlignCenter;
    if (text.View() == "HRight")
        return kTextAlignRight;
    return kTextAlignLeft;
}

uint32_t VerticalJustify(const TString& text) {
    if (text.View() == "VCenter")
        return kTextAlignVCenter;
    if (text.View() == "VBottom")
        return kTextAlignBottom;
    return 0;
}

vlkTextStyle ReadTextStyle(const TXmlNode& node) {
    vlkTextStyle style;
    style.name = node.GetAttribute("name");
    style.width = node.GetAttribute("width").ToInt();
    style.height = node.GetAttribute("height").ToInt();
    style.size = node.GetAttribute("size").ToInt();
    style.font = node.GetAttribute("font");
    style.justify = HorizontalJustify(node.GetAttribute("hjustify")) |
                    VerticalJustify(node.GetAttribute("vjustify"));
    style.colour = ParseHexColour(node.GetAttribute("color"));
    return style;
}

vlkAction ReadAction(const TXmlNode& node) {
    vlkAction action;
    action.name = node.GetAttribute("name");
    action.object = node.GetAttribute("object");
    action.property = node.GetAttribute("property");
    action.function = node.GetAttribute("function");
    ForEachChild(node, [&](std::string_view tag, const TXmlNode& child) {
        if (tag == "param")
            action.params.push_back({child.GetAttribute("name"), child.GetAttribute("value")});
    });
    return action;
}

vlkKeyframe ReadKeyframe(const TXmlNode& node) {
    vlkKeyframe keyframe;
    keyframe.name = node.GetAttribute("name");
    keyframe.time = static_cast<uint32_t>(node.GetAttribute("time").ToInt());
    keyframe.afterStop = node.GetAttribute("afterstop").View() == "true";
    ForEachChild(node, [&](std::string_view tag, const TXmlNode& child) {
        if (tag == "action")
            keyframe.actions.push_back(ReadAction(child));
    });
    return keyframe;
}

void ReadDefinition(const TXmlNode& root, vlkCutsceneDef& def) {
    def = vlkCutsceneDef();
    def.name = root.GetAttribute("name");
    def.fps = root.GetAttribute("fps").ToInt();
    ForEachChild(root, [&](std::string_view tag, const TXmlNode& child) {
        if (tag == "object") {
            def.objects.push_back({child.GetAttribute("name"), child.GetAttribute("type"),
                                   child.GetAttribute("resource"), child.GetAttribute("order")});
        } else if (tag == "textstyle") {
            def.textStyles.push_back(ReadTextStyle(child));
        } else if (tag == "keyframe") {
            def.keyframes.push_back(ReadKeyframe(child));
        }
    });
}

} // namespace

bool vlkCutscene::Load(const TString& path) {
    ClearObjects();
    mLoadFailed = true;
    mFailedPath = path;
    TXmlNode document;
    document.LoadFile(path);
    if (!document.HasChildren()) {
        LogPrintf("Cut-scene: nothing read from \"%s\"", path.CStr());
        return false;
    }
    const TXmlNode* root = document.FindChild("Cutscene");
    if (!root) {
        LogPrintf("Cut-scene: \"%s\" has no Cutscene element", path.CStr());
        return false;
    }
    // The frame interval is 1000 / fps: it must be at least 1 ms.
    const int32_t fps = root->GetAttribute("fps").ToInt();
    if (fps < 1 || fps > kMaxFps) {
        LogPrintf("Cut-scene: \"%s\" has fps \"%s\"; it must be 1 to %d", path.CStr(),
                  root->GetAttribute("fps").CStr(), kMaxFps);
        return false;
    }
    ReadDefinition(*root, mDefinition);
    BuildFromDefinition();
    mLoadFailed = false;
    mFailedPath = TString();
    return true;
}

void vlkCutscene::LoadFrom(const vlkCutscene& other) {
    ClearObjects();
    if (&other != this) {
        mDefinition = other.mDefinition;
        mLoadFailed = other.mLoadFailed;
        mFailedPath = other.mFailedPath;
    }
    BuildFromDefinition();
}

void vlkCutscene::BuildFromDefinition() {
    mFrameInterval = mDefinition.fps > 0 ? 1000u / static_cast<uint32_t>(mDefinition.fps) : 0u;
    for (const vlkObjectDef& def : mDefinition.objects) {
        std::unique_ptr<vlkObjectCS> object;
        const std::string_view type = def.type.View();
        if (type == "sprite") {
            object = std::make_unique<vlkSpriteCS>(this);
        } else if (type == "clouds") {
            object = std::make_unique<vlkClouds>(this);
        } else if (type == "text") {
            auto text = std::make_unique<vlkTextCS>(this);
            text->SetStyles(mDefinition.textStyles);
            object = std::move(text);
        } else if (type == "sound") {
            object = std::make_unique<vlkSoundCS>(this);
        } else if (type == "particle") {
            object = std::make_unique<vlkSpriteCS>(this);
            object->SetParticle(true);
        } else {
            continue;
        }
        object->Init(&def);
        mObjects.push_back(std::move(object));
    }
    for (const vlkKeyframe& keyframe : mDefinition.keyframes)
        mTimeLine->AddTime(keyframe.time);
}
