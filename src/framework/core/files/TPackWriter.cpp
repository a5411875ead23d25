#include "framework/core/files/TPackWriter.h"

#include "framework/core/files/TByteOrder.h"
#include "framework/core/files/TDirectoryIterator.h"

#include "platform/files/Folders.h"
#include "platform/files/RegularFile.h"
#include "platform/files/ReplacingFile.h"
#include "platform/files/WholeFile.h"

#include <cstdint>
#include <vector>

namespace {

bool Collect(const TString& folder, const TString& relative, std::vector<TPackSource>& sources,
             std::vector<platform::FolderId>& open, TString& error) {
    platform::FolderId id;
    if (!platform::GetFolderId(folder.ToStd(), id)) {
        error = TString::Format("cannot list %s", folder.CStr());
        return false;
    }
    for (const platform::FolderId& other : open) {
        if (other == id)
            return true; // a link back into the walk: nothing new below it
    }
    // A folder that is there but cannot be read would leave its files out.
    TDirectoryIterator listing;
    if (!listing.Start(folder.CStr())) {
        error = TString::Format("cannot list %s", folder.CStr());
        return false;
    }
    open.push_back(id);
    TString entry;
    bool isDirectory = false;
    bool ok = true;
    while (ok && listing.Next(entry, &isDirectory)) {
        TString path = folder + "/" + entry;
        TString name = relative + entry;
        if (isDirectory) {
            if (entry.View() != ".svn")
                ok = Collect(path, name + "/", sources, open, error);
        } else if (!platform::IsRegularFile(path.ToStd())) {
            // A FIFO would block the pack tool, a device feed it for ever.
            error = TString::Format("not a regular file: %s", path.CStr());
            ok = false;
        } else if (name.Length() > 255) {
            error = TString::Format("entry name longer than 255 bytes: %s", name.CStr());
            ok = false;
        } else {
            sources.push_back({name, path});
        }
    }
    open.pop_back();
    return ok;
}

} // namespace

bool CollectPackSources(const TString& folder, std::vector<TPackSource>& sources, TString& error) {
    sources.clear();
    std::vector<platform::FolderId> open;
    std::string base = folder.ToStd();
    while (base.size() > 1 && base.back() == '/')
        base.pop_back();
    return Collect(TString(base), TString(), sources, open, error);
}

bool WritePackFile(const TString& output, const std::vector<TPackSource>& sources, TString& error) {
    if (sources.size() > static_cast<size_t>(INT32_MAX)) {
        error = "too many entries";
        return false;
    }
    int64_t tableSize = 8;
    for (const TPackSource& source : sources) {
        if (source.name.IsEmpty() || source.name.Length() > 255) {
            error =
                TString::Format("entry name must have 1 to 255 bytes: \"%s\"", source.name.CStr());
            return false;
        }
        tableSize += 1 + source.name.Length() + 8;
    }
    std::vector<unsigned char> table;
    std::vector<unsigned char> data;
    table.insert(table.end(), {'N', 'B', 'P', 'K'});
    AppendLittleEndian32(table, static_cast<uint32_t>(sources.size()));
    std::vector<unsigned char> bytes;
    for (const TPackSource& source : sources) {
        // Reading stops past 2 GB: such a file cannot go into a pack.
        if (!platform::ReadWholeFile(source.path.ToStd(), bytes, INT32_MAX)) {
            error = TString::Format("cannot read %s", source.path.CStr());
            return false;
        }
        int64_t offset = tableSize + static_cast<int64_t>(data.size());
        if (offset + static_cast<int64_t>(bytes.size()) > INT32_MAX) {
            error = "the pack would be larger than 2 GB";
            return false;
        }
        table.push_back(static_cast<unsigned char>(source.name.Length()));
        table.insert(table.end(), source.name.CStr(), source.name.CStr() + source.name.Length());
        AppendLittleEndian32(table, static_cast<uint32_t>(offset));
        AppendLittleEndian32(table, static_cast<uint32_t>(bytes.size()));
        data.insert(data.end(), bytes.begin(), bytes.end());
    }
    // An existing pack is replaced only by a complete new one: on a full
    // disk the old pack stays.
    platform::ReplacingFile out;
    std::string reason;
    if (!out.Open(output.ToStd(), reason)) {
        error = TString::Format("cannot create %s (%s)", output.CStr(), reason.c_str());
        return false;
    }
    out.Write(table.data(), table.size());
    out.Write(data.data(), data.size());
    if (!out.Commit(reason)) {
        error = TString::Format("cannot write %s (%s)", output.CStr(), reason.c_str());
        return false;
    }
    return true;
}
