// A plug-in game-state module for the tests. Its handler records every call
// it gets and answers from the states it was told:
//   "consume"  - OnSetState consumes every state while it holds non-zero;
//   "restart", "menu", "mute", "suspend" - the answers to the questions;
//   reading "calls" gives the record of calls so far, "|"-separated;
//   reading "echo" gives "module:" followed by the value it was handed.
// When CORVALO_MODULE_TRACE names a file, CreateHandler and DestroyHandler
// append "create" and "destroy" lines to it.

#include "framework/host/TGameStateHandler.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

namespace {

void Trace(const char* what) {
    const char* path = std::getenv("CORVALO_MODULE_TRACE");
    if (!path)
        return;
    if (FILE* file = std::fopen(path, "a")) {
        std::fprintf(file, "%s\n", what);
        std::fclose(file);
    }
}

class RecordingHandler : public TGameStateHandler {
public:
    bool OnSetState(const char* name, const char* value) override {
        Record(std::string("set ") + name + "=" + value);
        mStates[name] = value;
        return Flag("consume");
    }
    const char* OnGetState(const char* name, const char* value) override {
        Record(std::string("get ") + name + "=" + value);
        if (std::strcmp(name, "calls") == 0) {
            mAnswer = mCalls;
            return mAnswer.c_str();
        }
        if (std::strcmp(name, "echo") == 0) {
            mAnswer = std::string("module:") + value;
            return mAnswer.c_str();
        }
        return value;
    }
    bool QueryRestartMode() override { return Ask("restart"); }
    bool QueryJumpToMenu() override { return Ask("menu"); }
    bool QueryMuteGame() override { return Ask("mute"); }
    bool QuerySuspendGame() override { return Ask("suspend"); }

private:
    void Record(const std::string& call) {
        if (!mCalls.empty())
            mCalls += "|";
        mCalls += call;
    }
    bool Flag(const char* name) const {
        auto found = mStates.find(name);
        return found != mStates.end() && std::atoi(found->second.c_str()) != 0;
    }
    bool Ask(const char* name) {
        Record(std::string("ask ") + name);
        return Flag(name);
    }

    std::map<std::string, std::string> mStates;
    std::string mCalls;
    std::string mAnswer;
};

} // namespace

extern "C" __attribute__((visibility("default"))) TGameStateHandler* CreateHandler() {
    Trace("create");
    return new RecordingHandler;
}

extern "C" __attribute__((visibility("default"))) void DestroyHandler(TGameStateHandler* handler) {
    Trace("destroy");
    delete handler;
}
