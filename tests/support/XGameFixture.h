#pragma once

#include "support/XPicture.h"
#include "support/XProgram.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>
#include <string>

namespace support {

// What every check of the game's own window needs, whoever drives it: the
// game's environment on the X server, its user folder, log and board
// trace, where its 1024 x 768 picture stands in the window (mWindow, found
// by the fixture that starts the game), the window's pictures brought back
// to that size, the profile store and the sanitizers' silence.
class XGameFixture : public XProgramFixture {
protected:
    void SetUp() override {
        XProgramFixture::SetUp();
        if (IsSkipped())
            return;
        UseGameEnvironment();
        setenv("CORVALO_BOARD_TRACE", TracePath().c_str(), 1);
    }

    std::string UserFolder() const {
        return (mRoot.Path() / "data" / "Halvenmark" / "Corvalo").string();
    }
    std::string TracePath() const { return (mRoot.Path() / "board.txt").string(); }
    std::string Log() const { return ReadWholeFile(UserFolder() + "/logfile.txt"); }

    PictureFit Fit() const { return FitOfWindow(mWindow); }
    // The window's picture into path, brought back to the game's 1024 x 768.
    void CaptureInto(const std::string& path) const { CaptureWindow(mWindow, path); }

    // What the profile store holds for a key of a player; false, with what
    // the store's tool said, when it holds nothing.
    bool ReadStored(const std::string& key, int player, std::string& value) const {
        std::string said;
        EXPECT_EQ(RunProgram({CORVALO_BINARY_DIR "/tools/prefstool", "--dir", UserFolder(), "get",
                              key, std::to_string(player)},
                             &said),
                  0)
            << said;
        std::smatch m;
        const std::regex stored("value: \"([^\"]*)\"");
        const bool found = std::regex_search(said, m, stored);
        value = found ? m[1].str() : said;
        return found;
    }
    // Sets a key of a player in the profile store; the store's tool's exit
    // code, and what it said.
    int WriteStored(const std::string& key, const std::string& value, int player,
                    std::string& said) const {
        return RunProgram({CORVALO_BINARY_DIR "/tools/prefstool", "--dir", UserFolder(), "set", key,
                           value, std::to_string(player)},
                          &said);
    }

    // Nothing reported by the sanitizers.
    void CheckSanitizersQuiet() const {
        const std::string errors = Errors();
        EXPECT_EQ(errors.find("AddressSanitizer"), std::string::npos) << errors;
        EXPECT_EQ(errors.find("runtime error"), std::string::npos) << errors;
    }

    std::string mWindow;
};

} // namespace support
