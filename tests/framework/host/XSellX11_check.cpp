// The cross-promotion screen in the game program on a real X server: a
// program folder whose start-up script opens scripts/xsell.lua, run hosted
// ("--axtest") with a "-host=" program that records the links it is given.
// The frame shows the filled screen (written as a PNG beside the run), and
// clicks on a game's button and on the site's logo reach the host program
// with their addresses.

#include "support/XProgram.h"

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

using namespace support;

class XSellScreen : public XProgramFixture {
protected:
    // Starts the program in its folder with the options.
    void StartIn(const fs::path& folder, const std::vector<std::string>& options) {
        mOutput = (mRoot.Path() / "out.txt").string();
        mErrors = (mRoot.Path() / "errors.txt").string();
        mChild = fork();
        if (mChild == 0) {
            int fd = open(mOutput.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            dup2(fd, 1);
            int errors = open(mErrors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            dup2(errors, 2);
            if (chdir(folder.c_str()) != 0)
                _exit(126);
            std::string program = (folder / "corvalo").string();
            std::vector<char*> argv{program.data()};
            std::vector<std::string> words = options;
            for (std::string& word : words)
                argv.push_back(word.data());
            argv.push_back(nullptr);
            execv(program.c_str(), argv.data());
            _exit(127);
        }
    }

    std::vector<std::string> Links() const {
        std::vector<std::string> links;
        std::ifstream in(mRoot.Path() / "links.txt");
        for (std::string line; std::getline(in, line);)
            links.push_back(line);
        return links;
    }
    bool WaitForLinks(size_t count) {
        const XClock::time_point deadline = XClock::now() + kXOutputWait;
        while (XClock::now() < deadline) {
            if (Links().size() >= count)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }
    // The window as a PNG; the mean brightness of the picture (0 to 1), or
    // -1 when it could not be taken.
    double Capture(const std::string& window, const fs::path& file) {
        if (RunProgram({"import", "-window", window, file.string()}) != 0)
            return -1;
        std::string mean;
        if (RunProgram({"convert", file.string(), "-format", "%[fx:mean]", "info:"}, &mean) != 0)
            return -1;
        return std::atof(mean.c_str());
    }
};

TEST_F(XSellScreen, TheScreenShowsItsGamesAndItsLinksReachTheHostProgram) {
    for (const char* tool : {"import", "convert"}) {
        if (RunProgram({"sh", "-c", std::string("command -v ") + tool + " >/dev/null"}) != 0)
            GTEST_SKIP() << tool << " (ImageMagick) is not installed";
    }
    setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
    const fs::path folder = mRoot.Path() / "game";
    fs::create_directories(folder);
    fs::copy_file(CORVALO_PROGRAM, folder / "corvalo");
    fs::copy(CORVALO_ASSETS, folder / "assets", fs::copy_options::recursive);
    fs::copy_file(CORVALO_TEST_DATA "/host/xsell_demo/main.lua",
                  folder / "assets" / "scripts" / "main.lua", fs::copy_options::overwrite_existing);
    const fs::path recorder = mRoot.Path() / "record-link.sh";
    {
        std::ofstream script(recorder);
        script << "#!/bin/sh\necho \"$1\" >> '" << (mRoot.Path() / "links.txt").string() << "'\n";
    }
    fs::permissions(recorder, fs::perms::owner_all);

    StartIn(folder, {"--multiple", "--axtest", "-host=" + recorder.string()});
    ASSERT_TRUE(WaitForOutput("xsell open")) << Output() << Errors();
    const std::string window = FindWindow("^Corvalo$");
    ASSERT_FALSE(window.empty()) << Errors();
    ASSERT_EQ(Xdotool({"windowfocus", "--sync", window}), 0);
    // The host gives its window the game's size, so the screen is not
    // scaled into the small window a host starts with.
    ASSERT_EQ(Xdotool({"windowsize", "--sync", window, "1024", "768"}), 0);

    // The first frame: the screen over the dark window.
    const fs::path frame = fs::path(CORVALO_BINARY_DIR) / "xsell_frame.png";
    double brightness = -1;
    const XClock::time_point deadline = XClock::now() + kXOutputWait;
    while (XClock::now() < deadline && brightness < 0.2) {
        brightness = Capture(window, frame);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    ASSERT_GE(brightness, 0.2) << "no frame of the screen; " << Errors();

    auto click = [&](const char* x, const char* y) {
        ASSERT_EQ(Xdotool({"mousemove", "--window", window, "--sync", x, y}), 0);
        // Past the activation click's 400 ms.
        std::this_thread::sleep_for(std::chrono::milliseconds(600));
        ASSERT_EQ(Xdotool({"click", "1"}), 0);
    };
    // The second game's link in its description ("Play Tidewatch", which
    // presses the game's button), the first game's button centred on
    // (160, 194), then the site's logo on (230, 628).
    click("690", "194");
    ASSERT_TRUE(WaitForLinks(1)) << Output() << Errors();
    click("160", "194");
    ASSERT_TRUE(WaitForLinks(2)) << Output() << Errors();
    click("230", "628");
    ASSERT_TRUE(WaitForLinks(3)) << Output() << Errors();
    EXPECT_EQ(Links(), (std::vector<std::string>{"https://example.org/games/tidewatch",
                                                 "https://example.org/games/lantern-stack",
                                                 "https://example.org/games"}));
    // Back, whose top-left corner is at (530, 604), closes the screen.
    click("610", "628");
    EXPECT_TRUE(WaitForOutput("xsell: ")) << Output();
}

} // namespace
