#pragma once

// A game-state handler for the registry tests: writes every call it gets,
// tagged with its own name, into a journal shared by the handlers of one
// test, and answers as it is told to.

#include "framework/host/TGameStateHandler.h"

#include <functional>
#include <string>
#include <vector>

using Journal = std::vector<std::string>;

class RecordingHandler : public TGameStateHandler {
public:
    RecordingHandler(std::string tag, Journal& journal) : mTag(std::move(tag)), mJournal(journal) {}
    ~RecordingHandler() override { Note("deleted"); }

    bool OnSetState(const char* name, const char* value) override {
        Note(std::string("set ") + name + "=" + value);
        if (onSet)
            onSet(name, value);
        return consumeAll || consume == name;
    }
    const char* OnGetState(const char* name, const char* value) override {
        Note(std::string("get ") + name + "=" + value);
        if (!appendOnGet)
            return value;
        mAnswer = std::string(value) + appendOnGet;
        return mAnswer.c_str();
    }
    bool QueryRestartMode() override { return Ask("restart", restart); }
    bool QueryJumpToMenu() override { return Ask("menu", menu); }
    bool QueryMuteGame() override { return Ask("mute", mute); }
    bool QuerySuspendGame() override { return Ask("suspend", suspend); }

    // Answers.
    std::string consume;
    bool consumeAll = false;
    const char* appendOnGet = nullptr;
    bool restart = false;
    bool menu = false;
    bool mute = false;
    bool suspend = false;
    // Runs inside OnSetState, after the call is noted.
    std::function<void(const char*, const char*)> onSet;

private:
    void Note(const std::string& call) { mJournal.push_back(mTag + " " + call); }
    bool Ask(const char* question, bool answer) {
        Note(std::string("ask ") + question);
        return answer;
    }

    std::string mTag;
    Journal& mJournal;
    std::string mAnswer;
};
