#include "DataCheck.h"

#include "WorldPlan.h"
#include "game/data/GameDataLint.h"
#include "game/data/ModeFiles.h"

#include "framework/core/files/TAssetScan.h"
#include "framework/core/files/TFileSystem.h"
#include "framework/core/xml/TStringTable.h"
#include "framework/core/xml/TXmlNode.h"
#include "framework/host/assetmap/TAssetMap.h"
#include "framework/script/engine/LuaState.h"
#include "framework/sound/source/TOggDataSource.h"

#include <lua.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>

namespace datacheck {

namespace fs = std::filesystem;

namespace {

constexpr int kSideLimit = 1024;

const char* const kDataExtensions[] = {".xml", ".png",  ".jpg", ".jp2", ".ogg",
                                       ".lua", ".mvec", ".anm", ".spx", ".mesh"};
// Folders of the assets tree: a script's string that starts with one names
// a file, with or without its extension.
const char* const kDataFolders[] = {"gpx/",   "sfx/", "music/",     "scripts/", "anim/",
                                    "fonts/", "loc/", "particles/", "fx/"};
// Names the program provides itself when no file of that name exists.
const char* const kBuiltInNames[] = {"__systemcursor__.png"};
// The game's locale, for names written with "%s" in its place.
const char* const kLocale = "en";

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

bool HasDataExtension(const std::string& name) {
    const std::string lower = Lower(name);
    return std::any_of(std::begin(kDataExtensions), std::end(kDataExtensions),
                       [&](const char* e) { return EndsWith(lower, e); });
}

bool StartsWithDataFolder(const std::string& name) {
    const std::string lower = Lower(name);
    return std::any_of(std::begin(kDataFolders), std::end(kDataFolders),
                       [&](const char* f) { return lower.rfind(f, 0) == 0; });
}

// A text that can be a file name: no blanks or quotes, a stem before any
// extension, not a folder.
bool LooksLikeFileName(const std::string& text) {
    // A folder ("gpx/ui/") is the start of a name made at run time.
    if (text.empty() || text.size() > 200 || text[0] == '.' || text[0] == '/' || text.back() == '/')
        return false;
    return std::all_of(text.begin(), text.end(), [](unsigned char c) {
        return std::isalnum(c) || c == '_' || c == '.' || c == '/' || c == '-' || c == ':' ||
               c == '%' || c == '?' || c == '=';
    });
}

// The name as the check resolves it, or empty when the text is no name to
// check: data-folder names ("user:", "common:", "desktop:") are made at run
// time, and patterns other than the locale's "%s" cannot be checked here.
std::string CheckableName(std::string name) {
    for (const char* prefix : {"user:", "common:", "desktop:"}) {
        if (name.rfind(prefix, 0) == 0)
            return {};
    }
    const size_t locale = name.find("%s");
    if (locale != std::string::npos && name.rfind("loc/", 0) == 0)
        name.replace(locale, 2, kLocale);
    if (name.find('%') != std::string::npos)
        return {};
    return name;
}

// ---- literals of C++ and Lua texts ----

void SkipLineComment(const std::string& text, size_t& i) {
    while (i < text.size() && text[i] != '\n')
        ++i;
}

// The quoted text that starts at i (its escapes taken as the character
// after the backslash); i moves past the closing quote. A quote left open
// ends at the line's end.
std::string ReadQuoted(const std::string& text, size_t& i) {
    const char quote = text[i++];
    std::string literal;
    while (i < text.size() && text[i] != quote && text[i] != '\n') {
        if (text[i] == '\\' && i + 1 < text.size()) {
            literal += text[i + 1];
            i += 2;
        } else {
            literal += text[i++];
        }
    }
    ++i;
    return literal;
}

} // namespace

std::vector<std::string> CppLiterals(const std::string& text) {
    std::vector<std::string> literals;
    for (size_t i = 0; i < text.size();) {
        if (text.compare(i, 2, "//") == 0) {
            SkipLineComment(text, i);
        } else if (text.compare(i, 2, "/*") == 0) {
            const size_t end = text.find("*/", i + 2);
            i = end == std::string::npos ? text.size() : end + 2;
        } else if (text[i] == 'R' && text.compare(i, 2, "R\"") == 0 &&
                   (i == 0 || !(std::isalnum(static_cast<unsigned char>(text[i - 1])) ||
                                text[i - 1] == '_'))) {
            const size_t open = text.find('(', i + 2);
            if (open == std::string::npos)
                break;
            const std::string close = ")" + text.substr(i + 2, open - i - 2) + "\"";
            const size_t end = text.find(close, open);
            if (end == std::string::npos)
                break;
            literals.push_back(text.substr(open + 1, end - open - 1));
            i = end + close.size();
        } else if (text[i] == '"' || text[i] == '\'') {
            const char quote = text[i];
            std::string literal = ReadQuoted(text, i);
            if (quote == '"')
                literals.push_back(literal);
        } else {
            ++i;
        }
    }
    return literals;
}

std::vector<std::string> LuaLiterals(const std::string& text) {
    std::vector<std::string> literals;
    auto longBracket = [&](size_t at, size_t& level) {
        if (text[at] != '[')
            return false;
        size_t j = at + 1;
        while (j < text.size() && text[j] == '=')
            ++j;
        if (j < text.size() && text[j] == '[') {
            level = j - at - 1;
            return true;
        }
        return false;
    };
    for (size_t i = 0; i < text.size();) {
        size_t level = 0;
        if (text.compare(i, 2, "--") == 0) {
            if (i + 2 < text.size() && longBracket(i + 2, level)) {
                const std::string close = "]" + std::string(level, '=') + "]";
                const size_t end = text.find(close, i + 4 + level);
                i = end == std::string::npos ? text.size() : end + close.size();
            } else {
                SkipLineComment(text, i);
            }
        } else if (longBracket(i, level)) {
            const std::string close = "]" + std::string(level, '=') + "]";
            const size_t start = i + 2 + level;
            const size_t end = text.find(close, start);
            if (end == std::string::npos)
                break;
            literals.push_back(text.substr(start, end - start));
            i = end + close.size();
        } else if (text[i] == '"' || text[i] == '\'') {
            literals.push_back(ReadQuoted(text, i));
        } else {
            ++i;
        }
    }
    return literals;
}

namespace {

// The text with comments blanked out (string literals kept), for the
// patterns that look at calls.
std::string WithoutComments(const std::string& text, bool lua) {
    std::string out = text;
    for (size_t i = 0; i < out.size();) {
        const bool line = lua ? out.compare(i, 2, "--") == 0 : out.compare(i, 2, "//") == 0;
        if (line) {
            while (i < out.size() && out[i] != '\n')
                out[i++] = ' ';
        } else if (!lua && out.compare(i, 2, "/*") == 0) {
            const size_t end = std::min(out.size(), out.find("*/", i + 2) + 2);
            for (; i < end && i < out.size(); ++i) {
                if (out[i] != '\n')
                    out[i] = ' ';
            }
        } else if (out[i] == '"' || out[i] == '\'') {
            const char quote = out[i++];
            while (i < out.size() && out[i] != quote && out[i] != '\n')
                i += out[i] == '\\' ? 2 : 1;
            ++i;
        } else {
            ++i;
        }
    }
    return out;
}

// The screen scripts a literal names, also inside a statement such as
// "DoModal('scripts/pause.lua')".
std::vector<std::string> ScriptNames(const std::string& literal) {
    static const std::regex script(R"re(scripts/[A-Za-z0-9_./-]+\.lua)re");
    std::vector<std::string> names;
    for (auto it = std::sregex_iterator(literal.begin(), literal.end(), script);
         it != std::sregex_iterator(); ++it)
        names.push_back(it->str());
    return names;
}

void Collect(const std::string& text, const std::regex& pattern, int group,
             std::set<std::string>& into) {
    for (auto it = std::sregex_iterator(text.begin(), text.end(), pattern);
         it != std::sregex_iterator(); ++it) {
        into.insert((*it)[group].str());
    }
}

// A label is looked up unless it is a number or starts with "#".
bool IsTranslatedLabel(const std::string& label) {
    if (label.empty() || label[0] == '#')
        return false;
    return !std::all_of(label.begin(), label.end(),
                        [](unsigned char c) { return std::isdigit(c) || c == '.'; });
}

class Checker {
public:
    Checker(const fs::path& assets, Report& report) : mAssets(assets), mReport(report) {}

    void Problem(const std::string& text) { mReport.problems.push_back(text); }

    // As the loaders find a name: the file system's table (with "::" for
    // disk paths), then, without an extension, each standard extension.
    bool Resolves(std::string name) const {
        const size_t query = name.find('?');
        if (query != std::string::npos)
            name.erase(query);
        if (name.rfind("::assets/", 0) == 0)
            name.erase(0, 9);
        else if (name.rfind("::", 0) == 0)
            return fs::exists(mAssets.parent_path() / name.substr(2));
        if (std::find_if(std::begin(kBuiltInNames), std::end(kBuiltInNames), [&](const char* b) {
                return Lower(name) == b;
            }) != std::end(kBuiltInNames))
            return true;
        if (FileExists(name.c_str()))
            return true;
        const size_t slash = name.rfind('/');
        if (name.find('.', slash == std::string::npos ? 0 : slash) != std::string::npos)
            return false;
        for (const char* const* e = TAssetMap::kStandardExtensions; *e; ++e) {
            if (FileExists((name + *e).c_str()))
                return true;
        }
        return false;
    }

    void NeedName(const std::string& name, const std::string& where) {
        if (!Resolves(name))
            Problem(where + ": \"" + name + "\" is missing");
    }

    void ScanCode(const fs::path& folder) {
        // Labels are what the string table is asked for; a window's style
        // table has a GetString of its own, whose keys are no labels.
        static const std::regex labelCall(
            R"re((?:\w*StringTable\w*\s*(?:\(\s*\))?\s*(?:->|\.)\s*GetString|\bGetLabelText|\bGetLocalizedString)\s*\(\s*(?:TString\s*\(\s*)?"([^"]*)")re");
        static const std::regex assetCall(
            R"re((?:GetSound|GetTexture|GetAnimatedTexture|PlaySoundAsset|GetMusic)\s*\(\s*(?:TString\s*\(\s*)?"([^"]*)")re");
        std::error_code error;
        for (auto it = fs::recursive_directory_iterator(folder, error);
             it != fs::recursive_directory_iterator(); it.increment(error)) {
            const fs::path& path = it->path();
            if (!it->is_regular_file() || (path.extension() != ".cpp" && path.extension() != ".h"))
                continue;
            const std::string text = ReadText(path);
            const std::string where = fs::relative(path, folder.parent_path()).string();
            for (const std::string& literal : CppLiterals(text)) {
                NameScripts(literal, where, "");
                if (!LooksLikeFileName(literal) || !HasDataExtension(literal))
                    continue;
                const std::string name = CheckableName(literal);
                if (name.empty())
                    continue;
                mReport.codeNames.insert(name);
                NeedName(name, where);
            }
            const std::string code = WithoutComments(text, false);
            std::set<std::string> labels, shortNames;
            Collect(code, labelCall, 1, labels);
            Collect(code, assetCall, 1, shortNames);
            for (const std::string& label : labels)
                mLabelUses.emplace(label, where);
            for (const std::string& name : shortNames)
                mShortNameUses.emplace(name, where);
        }
    }

    void CheckScripts() {
        static const std::regex labelKey(R"re(\blabel\s*=\s*["']([^"']*)["'])re");
        static const std::regex labelCall(R"re(\bGetString\s*\(\s*["']([^"']*)["'])re");
        const fs::path scripts = mAssets / "scripts";
        std::error_code error;
        if (!fs::is_directory(scripts, error))
            return;
        lua_State* state = LuaOpenState();
        for (auto it = fs::recursive_directory_iterator(scripts, error);
             it != fs::recursive_directory_iterator(); it.increment(error)) {
            if (!it->is_regular_file() || it->path().extension() != ".lua")
                continue;
            ++mReport.filesChecked;
            const std::string name = fs::relative(it->path(), mAssets).generic_string();
            const int status = state ? LuaLoadFile(state, name.c_str()) : -1;
            if (status != 0) {
                const char* message = state ? lua_tostring(state, -1) : "no script engine";
                Problem(name + ": does not compile: " + (message ? message : "?"));
            }
            if (state)
                lua_settop(state, 0);
            const std::string text = ReadText(it->path());
            for (const std::string& literal : LuaLiterals(text)) {
                NameScripts(literal, name, name);
                if (!LooksLikeFileName(literal) ||
                    !(HasDataExtension(literal) || StartsWithDataFolder(literal)))
                    continue;
                const std::string checked = CheckableName(literal);
                if (!checked.empty())
                    NeedName(checked, name);
            }
            const std::string code = WithoutComments(text, true);
            std::set<std::string> labels;
            Collect(code, labelKey, 1, labels);
            Collect(code, labelCall, 1, labels);
            for (const std::string& label : labels)
                mLabelUses.emplace(label, name);
        }
        if (state)
            lua_close(state);
    }

    // The scripts named in a literal of `where` must be there; a script
    // naming itself (`self`) does not count as named.
    void NameScripts(const std::string& literal, const std::string& where,
                     const std::string& self) {
        for (const std::string& script : ScriptNames(literal)) {
            if (script == self)
                continue;
            mNamedScripts.insert(script);
            if (!LooksLikeFileName(literal))
                NeedName(script, where);
        }
    }

    // Every script under scripts/ is opened or read by name somewhere: by
    // the code or by another script.
    void CheckScriptsAreNamed() {
        const fs::path scripts = mAssets / "scripts";
        std::error_code error;
        if (!fs::is_directory(scripts, error))
            return;
        for (auto it = fs::recursive_directory_iterator(scripts, error);
             it != fs::recursive_directory_iterator(); it.increment(error)) {
            if (!it->is_regular_file() || it->path().extension() != ".lua")
                continue;
            const std::string name = fs::relative(it->path(), mAssets).generic_string();
            if (!mNamedScripts.count(name))
                Problem(name + ": nothing names this script");
        }
    }

    // The root each reader expects: by file name, else by place.
    static std::set<std::string> ExpectedRoots(const std::string& relative) {
        static const std::map<std::string, std::string> kByName = {
            {"settings.xml", "settings"}, {"strings.xml", "Workbook"},  {"assets.xml", "assets"},
            {"fx.xml", "FXFiles"},        {"xsell/xsell.xml", "xsell"},
        };
        const std::string lower = Lower(relative);
        if (const auto found = kByName.find(lower); found != kByName.end())
            return {found->second};
        if (lower.rfind("loc/", 0) == 0 && lower.find("/string") != std::string::npos)
            return {"Workbook"};
        if (lower.find('/') == std::string::npos)
            return {"xmlData"};
        return {"sequence", "parsys", "path", "Cutscene", "xmlData"};
    }

    void CheckXml(const fs::path& path, const std::string& relative) {
        TXmlNode document;
        document.LoadFile(TString(("::" + path.string()).c_str()));
        const TXmlNode* root = nullptr;
        // The first element: declarations ("?xml", "?mso-application") and
        // comments come before it.
        for (size_t i = 0; i < document.GetChildCount() && !root; ++i) {
            const TXmlNode* child = document.GetChild(i);
            const std::string name = child->GetName().ToStd();
            if (!name.empty() && name[0] != '?' && name[0] != '!')
                root = child;
        }
        const std::set<std::string> expected = ExpectedRoots(relative);
        if (!root) {
            Problem(relative + ": does not parse as XML");
            return;
        }
        const std::string rootName = root->GetName().ToStd();
        if (!expected.count(rootName)) {
            std::string wanted;
            for (const std::string& e : expected)
                wanted += (wanted.empty() ? "\"" : " or \"") + e + "\"";
            Problem(relative + ": root \"" + rootName + "\", its reader expects " + wanted);
            return;
        }
        if (rootName == "Workbook")
            return;
        if (rootName == "assets") {
            CollectAssetNames(*root);
            CheckLevelGroups(*root, relative);
        }
        const std::string folder = fs::path(relative).parent_path().generic_string();
        ScanXmlNames(*root, rootName, folder, relative);
    }

    void CollectAssetNames(const TXmlNode& node) {
        TString name;
        if (node.GetAttribute(name, "name"))
            mAssetListNames.insert(name.ToStd());
        for (size_t i = 0; i < node.GetChildCount(); ++i)
            CollectAssetNames(*node.GetChild(i));
    }

    // A level group may name a fixed asset (the loading screen decodes it
    // ahead of the board), but only as the fixed list has it: the level's
    // own file would never be shown.
    void CheckLevelGroups(const TXmlNode& root, const std::string& where) {
        std::map<std::string, std::string> fixedPaths;
        if (const TXmlNode* fixed = root.FindChild("fixedAssets")) {
            for (size_t i = 0; i < fixed->GetChildCount(); ++i) {
                const TXmlNode& entry = *fixed->GetChild(i);
                fixedPaths.emplace(entry.GetAttribute("name").ToStd(),
                                   entry.GetAttribute("path").ToStd());
            }
        }
        const TXmlNode* levels = root.FindChild("levelAssets");
        for (size_t i = 0; levels && i < levels->GetChildCount(); ++i) {
            const TXmlNode& level = *levels->GetChild(i);
            for (size_t j = 0; j < level.GetChildCount(); ++j) {
                const TXmlNode& entry = *level.GetChild(j);
                const auto fixed = fixedPaths.find(entry.GetAttribute("name").ToStd());
                const std::string path = entry.GetAttribute("path").ToStd();
                if (fixed != fixedPaths.end() && fixed->second != path)
                    Problem(where + ": level " + level.GetAttribute("id").ToStd() + "'s \"" +
                            fixed->first + "\" is the fixed asset " + fixed->second + ", not " +
                            path);
            }
        }
    }

    void ScanXmlNames(const TXmlNode& node, const std::string& rootName, const std::string& folder,
                      const std::string& where) {
        auto check = [&](const std::string& value, bool besideFirst) {
            if (!LooksLikeFileName(value) ||
                !(HasDataExtension(value) ||
                  (rootName != "sequence" && StartsWithDataFolder(value))))
                return;
            const std::string name = CheckableName(value);
            if (name.empty())
                return;
            // An animation's picture, a path's particle file and an
            // emitter's texture lie beside the file that names them first.
            if (besideFirst && !folder.empty() && Resolves(folder + "/" + name))
                return;
            NeedName(name, where);
        };
        const bool image = rootName == "sequence" && node.GetName().ToStd() == "img";
        const bool parsys = rootName == "path" && node.GetName().ToStd() == "parsys";
        const bool emitter = rootName == "parsys" && node.GetName().ToStd() == "emitter";
        // A cut-scene's "text" parameter names a string-table label.
        const bool textParam = rootName == "Cutscene" && Lower(node.GetName().ToStd()) == "param" &&
                               node.GetAttribute("name").View() == "text";
        for (size_t i = 0; i < node.GetAttributeCount(); ++i) {
            const TXmlAttribute* attribute = node.GetAttributeAt(i);
            const std::string key = attribute->mName.ToStd();
            const std::string value = attribute->mValue.ToStd();
            if (rootName == "Cutscene" && key == "text")
                mLabelUses.emplace(value, where);
            else if (textParam && key == "value")
                mLabelUses.emplace(value, where);
            else if (rootName == "Cutscene" && key == "font" && !value.empty())
                NeedName("loc/en/" + value, where); // a text style's font, under the locale
            else
                check(value, (image && (key == "name" || key == "mask")) ||
                                 (parsys && key == "file") || (emitter && key == "texture"));
        }
        if (node.GetChildCount() == 0)
            check(node.GetText().ToStd(), false);
        for (size_t i = 0; i < node.GetChildCount(); ++i)
            ScanXmlNames(*node.GetChild(i), rootName, folder, where);
    }

    void CheckImageSize(const fs::path& path, const std::string& relative) {
        const std::string bytes = ReadText(path);
        auto be32 = [&](size_t at) {
            return at + 4 <= bytes.size()
                       ? (uint32_t(uint8_t(bytes[at])) << 24) |
                             (uint32_t(uint8_t(bytes[at + 1])) << 16) |
                             (uint32_t(uint8_t(bytes[at + 2])) << 8) | uint8_t(bytes[at + 3])
                       : 0u;
        };
        uint32_t width = 0, height = 0;
        const std::string extension = Lower(path.extension().string());
        if (extension == ".png" && bytes.compare(0, 8, "\x89PNG\r\n\x1a\n") == 0) {
            width = be32(16);
            height = be32(20);
        } else if (extension == ".jpg") {
            for (size_t at = 2; at + 9 < bytes.size();) {
                if (uint8_t(bytes[at]) != 0xFF)
                    break;
                const uint8_t marker = uint8_t(bytes[at + 1]);
                const size_t length = (uint8_t(bytes[at + 2]) << 8) | uint8_t(bytes[at + 3]);
                if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 &&
                    marker != 0xCC) {
                    height = (uint8_t(bytes[at + 5]) << 8) | uint8_t(bytes[at + 6]);
                    width = (uint8_t(bytes[at + 7]) << 8) | uint8_t(bytes[at + 8]);
                    break;
                }
                at += 2 + length;
            }
        } else if (extension == ".jp2") {
            const size_t box = bytes.find("ihdr");
            if (box != std::string::npos) {
                height = be32(box + 4);
                width = be32(box + 8);
            }
        }
        if (width == 0 || height == 0)
            Problem(relative + ": not a picture its extension says");
        else if (width > kSideLimit || height > kSideLimit)
            Problem(relative + ": " + std::to_string(width) + "x" + std::to_string(height) +
                    " is larger than " + std::to_string(kSideLimit) + " pixels a side");
    }

    void CheckSound(const fs::path& path, const std::string& relative) {
        TOggDataSource source;
        if (!source.Open(TString(("::" + path.string()).c_str()), true)) {
            Problem(relative + ": not Ogg Vorbis that our decoder opens");
            return;
        }
        std::vector<char> chunk(1 << 16);
        uint64_t total = 0;
        for (;;) {
            const uint32_t got = source.Read(chunk.data(), static_cast<uint32_t>(total),
                                             static_cast<uint32_t>(chunk.size()));
            if (got == 0)
                break;
            total += got;
        }
        if (source.GetChannels() < 1 || source.GetChannels() > 2 || source.GetSampleRate() == 0 ||
            total == 0 || total != source.GetSize())
            Problem(relative + ": decodes " + std::to_string(total) + " of " +
                    std::to_string(source.GetSize()) + " bytes");
    }

    void CheckFiles() {
        std::error_code error;
        for (auto it = fs::recursive_directory_iterator(mAssets, error);
             it != fs::recursive_directory_iterator(); it.increment(error)) {
            if (!it->is_regular_file())
                continue;
            const std::string relative = fs::relative(it->path(), mAssets).generic_string();
            const std::string extension = Lower(it->path().extension().string());
            if (extension == ".xml") {
                CheckXml(it->path(), relative);
            } else if (extension == ".png" || extension == ".jpg" || extension == ".jp2") {
                CheckImageSize(it->path(), relative);
            } else if (extension == ".ogg") {
                CheckSound(it->path(), relative);
            } else if (extension == ".mvec") {
                if (ReadText(it->path()).compare(0, 4, "MVC4") != 0)
                    Problem(relative + ": not an MVC4 font");
            } else {
                continue;
            }
            ++mReport.filesChecked;
        }
    }

    void CheckLabels() {
        TStringTable table;
        table.LoadFile("strings.xml");
        table.LoadFile(TString((std::string("loc/") + kLocale + "/strings.xml").c_str()));
        for (const auto& [label, where] : mLabelUses) {
            if (!IsTranslatedLabel(label))
                continue;
            mReport.labels.insert(label);
            if (!table.FindStored(TString(label.c_str())))
                Problem(where + ": label \"" + label + "\" is not in the string table");
        }
    }

    void CheckShortNames() {
        for (const auto& [name, where] : mShortNameUses) {
            if (!mAssetListNames.count(name) && !Resolves(name))
                Problem(where + ": asset \"" + name + "\" is not in assets.xml");
        }
    }

private:
    fs::path mAssets;
    Report& mReport;
    std::multimap<std::string, std::string> mLabelUses;     // label -> where
    std::multimap<std::string, std::string> mShortNameUses; // name -> where
    std::set<std::string> mAssetListNames;
    std::set<std::string> mNamedScripts;
};

} // namespace

namespace {

void CheckWorldMap(const fs::path& folder, Report& report) {
    const worldgen::Plan plan = worldgen::ReadPlan((folder / "metamap.xml").string());
    for (const std::string& problem : plan.problems)
        report.problems.push_back(problem);
    if (!plan.problems.empty())
        return;
    for (const worldgen::Product& product : worldgen::Products(plan)) {
        std::error_code error;
        if (!fs::is_regular_file(folder / product.path, error)) {
            report.problems.push_back(product.path + ": missing; tools/worldgen makes it");
            continue;
        }
        ++report.filesChecked;
        if (ReadText(folder / product.path) != product.bytes)
            report.problems.push_back(product.path +
                                      ": not what tools/worldgen makes of metamap.xml");
    }
}

} // namespace

Report CheckAssets(const fs::path& assets, const Sources& sources) {
    Report report;
    std::error_code error;
    const fs::path folder = fs::absolute(assets, error);
    if (!fs::is_directory(folder, error)) {
        report.problems.push_back(assets.string() + ": no assets folder");
        return report;
    }
    ClearNameRegistry();
    SetUserDataFolder(TString());
    SetCommonDataFolder(TString());
    SetDesktopFolder(TString());
    SetAssetsFolder(TString(folder.string().c_str()));
    InitFileSystem();

    Checker checker(folder, report);
    checker.CheckFiles(); // first: it collects the asset list's names
    for (const fs::path& code : sources.codeFolders)
        checker.ScanCode(code);
    checker.CheckScripts();
    checker.CheckScriptsAreNamed();
    checker.CheckLabels();
    checker.CheckShortNames();
    // The world map's script and path effects are made from the node table:
    // where they are, they must be what it makes now (a folder without the
    // map leaves its absence to the name checks).
    if (fs::is_regular_file(folder / "metamap.xml", error) &&
        fs::is_regular_file(folder / "scripts" / "worldmap.lua", error))
        CheckWorldMap(folder, report);
    // The game's tables, when the folder holds them.
    if (fs::is_regular_file(folder / "config.xml", error)) {
        for (const std::string& problem :
             LoadAndLintGameData(TString(("::" + folder.string()).c_str())))
            report.problems.push_back(problem);
        ResetGameData();
    }

    ClearNameRegistry();
    SetAssetsFolder(TString("assets"));
    return report;
}

} // namespace datacheck
