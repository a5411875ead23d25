#pragma once

// The hosting page's side of the portal tests: host services over one end
// of a socket pair (the game's), the other end read as the page reads it,
// joining 8-byte chunks up to their NUL. Cursor and capture calls are
// written into a journal.

#include "framework/host/THostServices.h"
#include "platform/host/HostChannel.h"

#include <gtest/gtest.h>

#include <string>
#include <sys/socket.h>
#include <vector>

class PortalHost : public THostServices {
public:
    PortalHost() {
        int ends[2];
        EXPECT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, ends), 0);
        EXPECT_TRUE(mGame.Attach(ends[0]));
        EXPECT_TRUE(mPage.Attach(ends[1]));
        mPrevious = SetHostServices(this);
    }
    ~PortalHost() override { SetHostServices(mPrevious); }
    PortalHost(const PortalHost&) = delete;
    PortalHost& operator=(const PortalHost&) = delete;

    bool SendToHost(uint32_t message, uint32_t wParam, uint32_t lParam) override {
        platform::HostRecord record;
        record.message = message;
        record.wParam = wParam;
        record.lParam = lParam;
        return mGame.Send(record);
    }
    bool IsHostPresent() const override { return mGame.IsOpen(); }
    bool HasPqSwitch() const override { return pq; }
    void ReleaseMouseCapture() override { calls.push_back("release capture"); }
    void ShowSystemArrow() override { calls.push_back("arrow"); }
    void RestoreGameCursor() override { calls.push_back("game cursor"); }
    void OpenUrl(const TString& url) override { calls.push_back("open " + url.ToStd()); }

    // Every record that came, as it came.
    std::vector<platform::HostRecord> Records() {
        std::vector<platform::HostRecord> records;
        platform::HostRecord record;
        while (mPage.Receive(record, 0))
            records.push_back(record);
        return records;
    }

    // The texts that came whole; every record must be a text chunk.
    std::vector<std::string> Texts() {
        std::vector<std::string> texts;
        for (const platform::HostRecord& record : Records()) {
            EXPECT_EQ(record.message, 0x0400u);
            EXPECT_EQ(record.reserved, 0u);
            const uint32_t words[2] = {record.wParam, record.lParam};
            for (uint32_t word : words) {
                for (int byte = 0; byte < 4; ++byte) {
                    char c = static_cast<char>((word >> (8 * byte)) & 0xFF);
                    if (mEnded)
                        continue;
                    if (c == '\0') {
                        texts.push_back(mPartial);
                        mPartial.clear();
                        mEnded = true;
                    } else {
                        mPartial += c;
                    }
                }
            }
            // The next record starts a new chunk; one that ended a text
            // starts a new text.
            mEnded = false;
        }
        EXPECT_TRUE(mPartial.empty()) << "a text without its end: " << mPartial;
        return texts;
    }

    // The page hangs up.
    void HangUp() { mPage.Close(); }

    bool pq = false;
    std::vector<std::string> calls;

private:
    platform::HostChannel mGame;
    platform::HostChannel mPage;
    THostServices* mPrevious = nullptr;
    std::string mPartial;
    bool mEnded = false;
};
