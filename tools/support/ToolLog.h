#pragma once

#include "framework/core/log/TLog.h"

#include <cstdio>
#include <filesystem>
#include <string>

// The log of a tool that loads through the framework: the loaders write
// into a folder of the tool's own under the temporary folder, and a failure
// shows the log's lines on standard error.
class ToolLog {
public:
    explicit ToolLog(const char* tool) : mTool(tool) {
        std::error_code error;
        mFolder = std::filesystem::temp_directory_path(error) / tool;
        std::filesystem::create_directories(mFolder, error);
        StartLog(mFolder.c_str());
    }
    ToolLog(const ToolLog&) = delete;
    ToolLog& operator=(const ToolLog&) = delete;
    ~ToolLog() { StartLog(nullptr); }

    // Says what failed, closes the log and copies its lines to standard
    // error; gives the tool's failure status.
    int Fail(const std::string& what) const {
        std::fprintf(stderr, "%s: %s; log %s:\n", mTool.c_str(), what.c_str(),
                     GetLogFilePath().CStr());
        StartLog(nullptr);
        if (FILE* log = std::fopen((mFolder / "logfile.txt").c_str(), "r")) {
            char line[512];
            while (std::fgets(line, sizeof line, log))
                std::fputs(line, stderr);
            std::fclose(log);
        }
        return 1;
    }

private:
    std::string mTool;
    std::filesystem::path mFolder;
};
