#include "framework/sound/source/TSoundDataSource.h"

#include "framework/core/files/TFileSystem.h"

#include <map>
#include <mutex>
#include <utility>
#include <vector>

namespace {
struct Registry {
    std::mutex mutex;
    std::map<TString, TSoundDataSourceBuilder*, TStringByteLess> builders;
};

Registry& GetRegistry() {
    static Registry registry;
    return registry;
}
} // namespace

void TSoundDataSourceBuilder::Register(const TString& extension, TSoundDataSourceBuilder* builder) {
    Registry& registry = GetRegistry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    if (builder) {
        registry.builders[extension] = builder;
    } else {
        registry.builders.erase(extension);
    }
}

TSoundDataSourceBuilder* TSoundDataSourceBuilder::Find(const TString& extension) {
    Registry& registry = GetRegistry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    auto found = registry.builders.find(extension);
    return found != registry.builders.end() ? found->second : nullptr;
}

std::shared_ptr<TSoundDataSource> TSoundDataSourceBuilder::CreateSource(const TString& name,
                                                                        bool stream) {
    // The extension is what follows the last dot of the file's own name, so
    // a dot in a folder name is not taken for one.
    int dot = name.FindChar('.', TString::kBackwards);
    int slash = name.FindChar('/', TString::kBackwards);
    if (dot >= 0 && dot > slash) {
        if (TSoundDataSourceBuilder* builder = Find(name.Substring(dot + 1))) {
            return builder->Build(name, stream);
        }
    }
    std::vector<std::pair<TString, TSoundDataSourceBuilder*>> builders;
    {
        Registry& registry = GetRegistry();
        std::lock_guard<std::mutex> lock(registry.mutex);
        builders.assign(registry.builders.begin(), registry.builders.end());
    }
    for (const auto& [extension, builder] : builders) {
        if (FileExists((name + "." + extension).CStr())) {
            return builder->Build(name, stream);
        }
    }
    return nullptr;
}
