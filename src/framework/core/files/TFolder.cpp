#include "framework/core/files/TFolder.h"

#include "framework/core/settings/TSettings.h"

#include "framework/core/log/TLog.h"
#include "platform/files/Folders.h"

#include <cstring>

namespace {

constexpr char16_t kReplacement = 0xFFFD;

} // namespace

std::u16string Utf8ToWide(const char* text) {
    std::u16string out;
    if (!text)
        return out;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
    size_t length = std::strlen(text);
    out.reserve(length);
    size_t i = 0;
    while (i < length) {
        unsigned char lead = p[i];
        uint32_t code = 0;
        size_t count = 0;
        uint32_t minimum = 0;
        if (lead < 0x80) {
            out.push_back(lead);
            ++i;
            continue;
        } else if ((lead & 0xE0) == 0xC0) {
            code = lead & 0x1F;
            count = 1;
            minimum = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            code = lead & 0x0F;
            count = 2;
            minimum = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            code = lead & 0x07;
            count = 3;
            minimum = 0x10000;
        } else {
            out.push_back(kReplacement);
            ++i;
            continue;
        }
        size_t j = 1;
        for (; j <= count; ++j) {
            if (i + j >= length || (p[i + j] & 0xC0) != 0x80)
                break;
            code = (code << 6) | (p[i + j] & 0x3F);
        }
        if (j <= count || code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
            // Skip the lead byte and whatever continuation bytes were valid.
            out.push_back(kReplacement);
            i += j;
            continue;
        }
        i += count + 1;
        if (code >= 0x10000) {
            code -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(code));
        }
    }
    return out;
}

std::u16string Utf8ToWide(const TString& text) {
    return Utf8ToWide(text.CStr());
}

TString WideToUtf8(const char16_t* text) {
    if (!text)
        return TString();
    size_t length = 0;
    while (text[length])
        ++length;
    return WideToUtf8(std::u16string(text, length));
}

TString WideToUtf8(const std::u16string& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t code = text[i];
        if (code == 0)
            break;
        if (code >= 0xD800 && code <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            code = 0x10000 + ((code - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (code >= 0xD800 && code <= 0xDFFF) {
            code = kReplacement;
        }
        unsigned char bytes[4];
        int count = EncodeUtf8(code, bytes);
        out.append(reinterpret_cast<const char*>(bytes), static_cast<size_t>(count));
    }
    return TString(out);
}

TString GetFullPath(const TString& path) {
    return TString(platform::FullPath(path.ToStd()));
}

TString GetDesktopFolder() {
    std::string folder = platform::DesktopFolder();
    if (folder.empty())
        return TString();
    return GetFullPath(TString(folder));
}

int GetDesktopFolder(char* buffer, int size) {
    if (!buffer)
        return -1;
    TString folder = GetDesktopFolder();
    if (folder.IsEmpty())
        return -1;
    if (size > 0) {
        size_t copy = std::min(static_cast<size_t>(size) - 1, static_cast<size_t>(folder.Length()));
        std::memcpy(buffer, folder.CStr(), copy);
        buffer[copy] = 0;
    }
    int needed = folder.Length() + 1;
    return needed < size ? 0 : needed;
}

TString GetDataFolder(bool common, const TString& publisher, const TString& name) {
    if (name.IsEmpty())
        return TString();
    std::string base = common ? platform::CommonDataHome() : platform::UserDataHome();
    if (base.empty()) {
        LogPrintf("No %s data folder: neither XDG_DATA_HOME nor HOME is set",
                  common ? "common" : "user");
        return TString();
    }
    base = platform::FullPath(base);
    while (base.size() > 1 && base.back() == '/')
        base.pop_back();
    std::string folder = base;
    folder.push_back('/');
    folder.append(publisher.IsEmpty() ? "Nimbrel" : publisher.CStr());
    platform::MakeFolderLevels(folder);
    folder.push_back('/');
    folder.append(name.CStr());
    if (!platform::MakeFolder(folder))
        LogPrintf("Could not create the data folder %s", folder.c_str());
    return TString(folder + "/");
}

TString GetDataFolder(bool common, const TString& name) {
    TString publisher = HasSetting("publisher") ? GetSetting("publisher", "") : TString("Nimbrel");
    return GetDataFolder(common, publisher, name);
}
