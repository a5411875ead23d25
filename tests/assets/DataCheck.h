#pragma once

// The data check: does the game's data hold together? It takes an assets
// folder (the build's, or a small fixture) and the source folders whose
// names it must serve, and reports every problem as one line:
//   - every data file name the C++ code names in a string literal, and every
//     file name the scripts and the XML name, resolves through the file
//     system as the game resolves it, with the loaders' extension retries;
//   - every short name the code asks the asset lists for is in "assets.xml";
//   - every XML file parses, with the root its reader expects;
//   - every Lua file under scripts/ compiles through the script engine's
//     loader (the dialect translator included), and the code or another
//     script names it; a script named (also inside a statement such as
//     "DoModal('scripts/pause.lua')") is there;
//   - every label the code and the scripts use is in the string table;
//   - every picture has sides of at most 1024 pixels;
//   - every sound is Ogg Vorbis that our decoder reads to the end;
//   - the game's tables (config.xml and the mode files, when present) pass
//     the game data's own check.
// The names come from scanning the sources, so a new name in the code is
// checked without being listed anywhere else.

#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace datacheck {

struct Sources {
    // Folders of C++ sources (.cpp, .h) to scan for names and labels.
    std::vector<std::filesystem::path> codeFolders;
};

struct Report {
    std::vector<std::string> problems;
    // What the scan found, so a test can see that it found something.
    std::set<std::string> codeNames;
    std::set<std::string> labels;
    size_t filesChecked = 0;
};

// Checks the assets folder; the file system and string tables are the
// framework's own, set up on it for the check and left empty after.
Report CheckAssets(const std::filesystem::path& assets, const Sources& sources);

// The string literals of a C++ or Lua text, comments left out.
std::vector<std::string> CppLiterals(const std::string& text);
std::vector<std::string> LuaLiterals(const std::string& text);

} // namespace datacheck
