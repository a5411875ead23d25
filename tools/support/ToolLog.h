#pragma once

#include "framework/core/log/TLog.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

// The log of a tool that loads through the framework: the loaders write
// into a folder of the run's own under the temporary folder, and a failure
// shows the log's lines on standard error (and keeps the folder).
class ToolLog {
public:
    // The folder is the tool's name and the process id, so that runs side
    // by side keep their logs apart; a run that did not fail removes it.
    explicit ToolLog(const char* tool) : mTool(tool) {
        std::error_code error;
        mFolder = std::filesystem::temp_directory_path(error) /
                  (mTool + "-" + std::to_string(static_cast<long>(::getpid())));
        std::filesystem::create_directories(mFolder, error);
        StartLog(mFolder.c_str());
    }
    ToolLog(const ToolLog&) = delete;
    ToolLog& operator=(const ToolLog&) = delete;
    ~ToolLog() {
        StartLog(nullptr);
        if (!mFailed) {
            std::error_code error;
            std::filesystem::remove_all(mFolder, error);
        }
    }

    // Says what failed, closes the log and copies its lines to standard
    // error; gives the tool's failure status.
    int Fail(const std::string& what) const {
        const std::string path = GetLogFilePath().CStr();
        const std::vector<std::string> lines = CloseAndRead();
        std::fprintf(stderr, "%s: %s; log %s:\n", mTool.c_str(), what.c_str(), path.c_str());
        for (const std::string& line : lines)
            std::fputs(line.c_str(), stderr);
        return 1;
    }

    // As Fail, with the log's last line (where a loader says why it
    // failed) after what failed; hint follows it when that line holds
    // hintWhen.
    int FailWithReason(const std::string& what, const char* hintWhen = nullptr,
                       const std::string& hint = std::string()) const {
        const std::string path = GetLogFilePath().CStr();
        const std::vector<std::string> lines = CloseAndRead();
        std::string reason = lines.empty() ? "nothing logged" : lines.back();
        while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r'))
            reason.pop_back();
        // The log's lines start with the time; the reason is after it.
        if (const size_t start = reason.find(": "); start != std::string::npos)
            reason.erase(0, start + 2);
        if (hintWhen && reason.find(hintWhen) != std::string::npos)
            reason += " (" + hint + ")";
        std::fprintf(stderr, "%s: %s: %s; log %s:\n", mTool.c_str(), what.c_str(), reason.c_str(),
                     path.c_str());
        for (const std::string& line : lines)
            std::fputs(line.c_str(), stderr);
        return 1;
    }

private:
    std::vector<std::string> CloseAndRead() const {
        mFailed = true;
        StartLog(nullptr);
        std::vector<std::string> lines;
        if (FILE* log = std::fopen((mFolder / "logfile.txt").c_str(), "r")) {
            char line[512];
            while (std::fgets(line, sizeof line, log))
                lines.emplace_back(line);
            std::fclose(log);
        }
        return lines;
    }

    std::string mTool;
    std::filesystem::path mFolder;
    mutable bool mFailed = false;
};
