#include "platform/host/HostChannel.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

namespace {

TEST(HostChannel, ParseHandle_ReadsHexUpToTheFirstOtherCharacter) {
    struct Case {
        const char* text;
        bool ok;
        int fd;
    } cases[] = {
        {"1f", true, 31},         {"A", true, 10},  {"7 --multiple", true, 7}, {"0", false, 0},
        {"", false, 0},           {" 5", false, 0}, {"zz", false, 0},          {"00", false, 0},
        {"ffffffffff", false, 0}, {"3\"", true, 3},
    };
    for (const Case& c : cases) {
        int fd = -5;
        EXPECT_EQ(platform::HostChannel::ParseHandle(c.text, fd), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(fd, c.fd) << c.text;
        }
    }
}

TEST(HostChannel, RecordsTravelBothWays) {
    int ends[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, ends), 0);
    platform::HostChannel game;
    platform::HostChannel host;
    ASSERT_TRUE(game.Attach(ends[0]));
    ASSERT_TRUE(host.Attach(ends[1]));
    EXPECT_TRUE(game.IsOpen());
    platform::HostRecord record;
    EXPECT_FALSE(game.Receive(record, 0));
    ASSERT_TRUE(game.Send({1024, 1, 0, 0}));
    ASSERT_TRUE(host.Receive(record, 1000));
    EXPECT_EQ(record.message, 1024u);
    EXPECT_EQ(record.wParam, 1u);
    ASSERT_TRUE(host.Send({1026, 7, 9, 0}));
    ASSERT_TRUE(game.Receive(record, 1000));
    EXPECT_EQ(record.lParam, 9u);
}

// The game's channel on one end of a socket pair; the test plays the host
// on the other end, mHost, byte by byte where it wants.
class HostChannelBytes : public ::testing::Test {
protected:
    void SetUp() override {
        int ends[2];
        ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, ends), 0);
        // Should a read still wait for the whole record, it gives up after
        // this rather than holding the test.
        timeval limit{5, 0};
        ASSERT_EQ(setsockopt(ends[0], SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit), 0);
        ASSERT_TRUE(mGame.Attach(ends[0]));
        mHost = ends[1];
    }
    void TearDown() override {
        if (mHost >= 0) {
            close(mHost);
        }
    }

    platform::HostChannel mGame;
    int mHost = -1;
};

TEST_F(HostChannelBytes, APartialRecordIsKeptUntilTheRestArrives) {
    const platform::HostRecord first{1024, 1, 2, 0};
    const platform::HostRecord second{1026, 7, 9, 0};
    const char* bytes = reinterpret_cast<const char*>(&first);
    ASSERT_EQ(send(mHost, bytes, 5, 0), 5);

    platform::HostRecord record;
    EXPECT_FALSE(mGame.Receive(record, 0));
    EXPECT_FALSE(mGame.Receive(record, 0));
    ASSERT_EQ(send(mHost, bytes + 5, sizeof first - 5, 0), static_cast<ssize_t>(sizeof first - 5));
    ASSERT_EQ(send(mHost, &second, sizeof second, 0), static_cast<ssize_t>(sizeof second));

    ASSERT_TRUE(mGame.Receive(record, 0));
    EXPECT_EQ(record.message, 1024u);
    EXPECT_EQ(record.wParam, 1u);
    EXPECT_EQ(record.lParam, 2u);
    ASSERT_TRUE(mGame.Receive(record, 0));
    EXPECT_EQ(record.message, 1026u);
    EXPECT_EQ(record.wParam, 7u);
    EXPECT_EQ(record.lParam, 9u);
    EXPECT_FALSE(mGame.Receive(record, 0));
}

TEST_F(HostChannelBytes, AHostThatHangsUpInsideARecordIsGone) {
    const platform::HostRecord sent{1024, 1, 2, 0};
    ASSERT_EQ(send(mHost, &sent, 9, 0), 9);
    close(mHost);
    mHost = -1;
    platform::HostRecord record{5, 5, 5, 5};
    EXPECT_FALSE(mGame.Receive(record, 1000));
    EXPECT_EQ(record.message, 5u) << "nothing of the broken record is handed out";
    EXPECT_FALSE(mGame.IsOpen());
}

TEST(HostChannel, AHungUpHostIsGone) {
    int ends[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, ends), 0);
    platform::HostChannel game;
    ASSERT_TRUE(game.Attach(ends[0]));
    close(ends[1]);
    EXPECT_FALSE(game.IsOpen());
    EXPECT_FALSE(game.Send({1, 2, 3, 4}));
    platform::HostRecord record;
    EXPECT_FALSE(game.Receive(record, 0));
}

TEST(HostChannel, OnlyOpenSocketsAreTaken) {
    int pipeEnds[2];
    ASSERT_EQ(pipe(pipeEnds), 0);
    platform::HostChannel channel;
    EXPECT_FALSE(channel.Attach(pipeEnds[0])) << "a pipe is not a host";
    EXPECT_FALSE(channel.Attach(-1));
    int ends[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, ends), 0);
    int closed = ends[0];
    close(closed);
    EXPECT_FALSE(channel.Attach(closed)) << "a closed descriptor is not a host";
    EXPECT_EQ(channel.GetFd(), -1);
    // The pipe was not taken over: it is still open.
    EXPECT_EQ(fcntl(pipeEnds[0], F_GETFD), 0);
    close(pipeEnds[0]);
    close(pipeEnds[1]);
    close(ends[1]);
}

} // namespace
