#include "framework/host/assetmap/TAssetMap.h"

#include "framework/core/files/TFileSystem.h"
#include "framework/core/log/TLog.h"
#include "framework/graphics/TTexture.h"
#include "framework/graphics/animation/TAnimatedTexture.h"
#include "framework/graphics/asset/TAssetManager.h"
#include "framework/graphics/mesh/TModel.h"
#include "framework/script/host/TScript.h"
#include "framework/script/host/TScriptCode.h"
#include "framework/sound/asset/TSound.h"

#include <functional>

const char* const TAssetMap::kStandardExtensions[] = {".xml", ".anm", ".jpg",  ".jp2", ".png",
                                                      ".spx", ".ogg", ".mesh", ".lua", nullptr};

namespace {

TString Slashed(const TString& name) {
    TString slashed = name;
    slashed.Replace(TString("\\"), TString("/"), TSearchFlags::kReplaceAll);
    return slashed;
}

bool Is(const TString& extension, const char* kind) {
    return extension.Equals(TString(kind));
}

// One kind of asset: its key in the asset manager, its class and how a
// file of it is loaded.
struct TAssetKind {
    TString key;
    TClassId classId = nullptr;
    std::function<std::shared_ptr<TAsset>()> load;
};

bool KindOf(const TString& extension, const TString& fileName, TAssetKind& kind) {
    if (Is(extension, "jpg") || Is(extension, "png") || Is(extension, "jp2")) {
        kind.key = MakeTextureKey(fileName, false, false, false);
        kind.classId = TTexture::GetClassId();
        kind.load = [fileName] { return std::shared_ptr<TAsset>(TTexture::Get(fileName, 0)); };
    } else if (Is(extension, "xml") || Is(extension, "anm")) {
        kind.key = TAnimatedTexture::MakeAnimationKey(fileName, TString(), TString());
        kind.classId = TAnimatedTexture::GetClassId();
        kind.load = [fileName] {
            return std::shared_ptr<TAsset>(TAnimatedTexture::Get(fileName, TString(), TString()));
        };
    } else if (Is(extension, "ogg") || Is(extension, "spx")) {
        kind.key = ParseGroupSpec(fileName);
        kind.classId = nullptr; // told apart by its type
        kind.load = [fileName] { return std::shared_ptr<TAsset>(TSound::Get(fileName)); };
    } else if (Is(extension, "lua")) {
        kind.key = fileName;
        kind.classId = TScriptCode::ClassId();
        kind.load = [fileName] {
            return std::shared_ptr<TAsset>(TScriptCode::Compile(fileName, GetScriptSearchPath()));
        };
    } else if (Is(extension, "mesh")) {
        kind.key = fileName;
        kind.classId = TModel::GetClassId();
        kind.load = [fileName] { return std::shared_ptr<TAsset>(GetModel(fileName)); };
    } else {
        return false;
    }
    return true;
}

} // namespace

bool TAssetMap::FindFile(const TString& givenName, TString& fileName, TString& query) {
    const TString name = Slashed(givenName);
    fileName = name;
    query = TString();
    const int mark = name.Find(TString("?"));
    if (mark >= 0) {
        fileName = TString(name.CStr(), static_cast<size_t>(mark));
        query = TString(name.CStr() + mark);
    }
    if (FileExists(fileName.CStr()))
        return true;
    for (const char* const* extension = kStandardExtensions; *extension; ++extension) {
        const TString candidate = fileName + TString(*extension);
        if (FileExists(candidate.CStr())) {
            fileName = candidate;
            return true;
        }
    }
    return false;
}

void TAssetMap::AddAsset(const TString& givenName, const std::shared_ptr<TAsset>& asset,
                         bool quiet) {
    const TString name = Slashed(givenName);
    if (asset) {
        mAssets[name] = asset;
        return;
    }
    TString fileName;
    TString query;
    if (!FindFile(name, fileName, query)) {
        if (!quiet) {
            LogPrintf("TAssetMap::AddAsset: Failed to find asset %s with any standard "
                      "extension (jpg/jp2/png/anm/xml/ogg/mesh)",
                      name.CStr());
        }
        return;
    }
    const size_t dot = fileName.View().find_last_of('.');
    const TString extension =
        dot == std::string_view::npos ? TString() : TString(fileName.CStr() + dot + 1);
    const TString key = fileName + query;
    // The sound loader reads the query; every other kind loads the file.
    const TString loadName = Is(extension, "ogg") || Is(extension, "spx") ? key : fileName;

    TAssetKind kind;
    std::shared_ptr<TAsset> loaded;
    if (KindOf(extension, loadName, kind)) {
        TAssetManager* manager = GetAssetManager();
        if (manager) {
            std::shared_ptr<TAsset> shared = manager->GetAsset(kind.key);
            if (shared && (kind.classId ? shared->IsKindOf(kind.classId)
                                        : std::dynamic_pointer_cast<TSound>(shared) != nullptr)) {
                loaded = shared;
            }
        }
        if (!loaded) {
            loaded = kind.load();
        }
        if (loaded) {
            if (manager) {
                manager->RegisterAsset(kind.key, loaded);
            }
            mAssets[key] = loaded;
            return;
        }
    }
    if (!quiet) {
        LogPrintf("TAssetMap::AddAsset: Error loading %s", name.CStr());
    }
}

void TAssetMap::AddAssetList(const char* const* names) {
    if (!names) {
        return;
    }
    for (; *names; ++names) {
        AddAsset(TString(*names));
    }
}

std::shared_ptr<TAsset> TAssetMap::GetAsset(const TString& name) const {
    auto found = mAssets.find(Slashed(name));
    return found == mAssets.end() ? nullptr : found->second;
}

std::shared_ptr<TAsset> TAssetMap::Lookup(const TString& givenName) {
    const TString name = Slashed(givenName);
    std::shared_ptr<TAsset> entry = GetAsset(name);
    if (!entry && mAutoLoad) {
        AddAsset(name, nullptr, false);
        entry = GetAsset(name);
    }
    return entry;
}

std::shared_ptr<TTexture> TAssetMap::GetTexture(const TString& name) {
    std::shared_ptr<TAsset> entry = Lookup(name);
    if (!entry) {
        LogPrintf("Texture asset not found: %s (auto load set to %s)", Slashed(name).CStr(),
                  mAutoLoad ? "true" : "false");
        return nullptr;
    }
    return entry->IsKindOf(TTexture::GetClassId()) ? std::static_pointer_cast<TTexture>(entry)
                                                   : nullptr;
}

std::shared_ptr<TAnimatedTexture> TAssetMap::GetAnimatedTexture(const TString& name) {
    std::shared_ptr<TAsset> entry = Lookup(name);
    if (!entry) {
        LogPrintf("Animated texture asset not found: %s (auto load set to %s)",
                  Slashed(name).CStr(), mAutoLoad ? "true" : "false");
        return nullptr;
    }
    return entry->IsKindOf(TAnimatedTexture::GetClassId())
               ? std::static_pointer_cast<TAnimatedTexture>(entry)
               : nullptr;
}

std::shared_ptr<TSound> TAssetMap::GetSound(const TString& name) {
    std::shared_ptr<TAsset> entry = Lookup(name);
    if (!entry) {
        LogPrintf("Sound asset not found: %s", Slashed(name).CStr());
        return nullptr;
    }
    return std::dynamic_pointer_cast<TSound>(entry);
}
