#include <gtest/gtest.h>

#include <errno.h>
#include <pthread.h>

#include <atomic>
#include <cstring>
#include <string>

#include "netcore/netcore.h"
#include "support/scripted_server.h"
#include "support/socket_test_helpers.h"

namespace {
using Bytes = ScriptedServer::Bytes;
using Clock = std::chrono::steady_clock;

Bytes bytesOf(const std::string& text)
{
    return Bytes(text.begin(), text.end());
}

// Records OnClose and the call state it came in.
class RecordingSocket : public CClientSocketEx {
public:
    void OnClose(int errorCode) override
    {
        closeCodes.push_back(errorCode);
        stateDuringClose = m_nBlockingCall;
    }
    std::vector<int> closeCodes;
    int stateDuringClose = -1;
};

std::atomic<CClientSocketEx*> g_cancelOnSignal{nullptr};

void cancelOnSignal(int)
{
    if (CClientSocketEx* socket = g_cancelOnSignal.load())
        socket->CancelBlockingCall();
}
}  // namespace

TEST(ClientSocket, ConnectsAndTalksOverEachAddressForm)
{
    struct Case {
        const char* host;
        bool ipv6Server;
        const char* peer;
    } cases[] = {
        {"127.0.0.1", false, "127.0.0.1"},
        {"localhost", false, "127.0.0.1"},  // may try ::1 first and go on
        {"::1", true, "::1"},
        {"[::1]", true, "::1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.host);
        ScriptedServer server({ScriptedServer::Read(4), ScriptedServer::Send(bytesOf("pong"))}, c.ipv6Server);
        if (!server.ok())
            continue;  // no IPv6 loopback on this machine
        CClientSocketEx socket;
        ASSERT_TRUE(socket.Connect(c.host, server.port())) << strerror(CClientSocketEx::GetLastError());
        ASSERT_EQ(4, socket.Send("ping", 4));
        char reply[8] = {};
        ASSERT_EQ(4, socket.Receive(reply, sizeof reply));
        EXPECT_STREQ("pong", reply);
        ASSERT_TRUE(eventually([&] { return server.finished(); }));
        EXPECT_EQ(bytesOf("ping"), server.received());

        CString address;
        UINT port = 0;
        ASSERT_TRUE(socket.GetPeerName(address, port));
        EXPECT_STREQ(c.peer, address);
        EXPECT_EQ(server.port(), port);
        ASSERT_TRUE(socket.GetSockName(address, port));
        EXPECT_STREQ(c.peer, address);

        socket.Close();
        EXPECT_EQ(INVALID_SOCKET, socket.m_hSocket);
        EXPECT_EQ(-1, socket.Receive(reply, 1));
        EXPECT_EQ(ENOTCONN, CClientSocketEx::GetLastError());
    }
}

TEST(ClientSocket, ConnectFailuresReturnFalseWithTheReason)
{
    LoopbackPort closed(false);
    ScriptedServer server({});
    struct Case {
        const char* reason;
        UINT port;
        bool connectFirst;
        int error;
    } cases[] = {
        {"nobody listens", closed.port(), false, ECONNREFUSED},
        {"port 0", 0, false, EINVAL},
        {"port beyond 65535", 70000, false, EINVAL},
        {"already connected", server.port(), true, EISCONN},
    };
    for (const Case& c : cases) {
        CClientSocketEx socket;
        if (c.connectFirst) {
            ASSERT_TRUE(socket.Connect("127.0.0.1", server.port()));
        }
        EXPECT_FALSE(socket.Connect("127.0.0.1", c.port)) << c.reason;
        EXPECT_EQ(c.error, CClientSocketEx::GetLastError()) << c.reason;
        EXPECT_EQ(c.connectFirst, socket.m_hSocket != INVALID_SOCKET) << c.reason;
        EXPECT_FALSE(socket.IsBlocking());
    }
}

TEST(ClientSocket, UnknownNameThrowsTheDnsException)
{
    CClientSocketEx socket;
    socket.SetConnectTimeout(3000);
    try {
        ASSERT_FALSE(socket.Connect("bad..name", 389));
        GTEST_SKIP() << "the resolver did not answer in time";
    } catch (CDnsException* e) {
        EXPECT_NE(0, e->m_nError);
        char message[128];
        EXPECT_TRUE(e->GetErrorMessage(message, sizeof message));
        EXPECT_EQ(0, std::strncmp(message, "Cannot resolve \"bad..name\": ", 28)) << message;
        e->Delete();
    }
    EXPECT_FALSE(socket.IsBlocking());
}

TEST(ClientSocket, ConnectEndsOnTimeOutOrCancel)
{
    LoopbackPort backlog(true);
    if (!backlog.full())
        GTEST_SKIP() << "the kernel answered every connect";
    for (bool cancel : {false, true}) {
        CClientSocketEx socket;
        socket.SetConnectTimeout(cancel ? 3000 : 150);
        Clock::time_point start = Clock::now();
        BOOL connected;
        {
            Later canceller(50, [&] {
                if (cancel)
                    socket.CancelBlockingCall();
            });
            connected = socket.Connect("127.0.0.1", backlog.port());
        }
        if (connected)
            GTEST_SKIP() << "the kernel answered after all";
        EXPECT_EQ(cancel ? EINTR : ETIMEDOUT, CClientSocketEx::GetLastError());
        EXPECT_LT(millisecondsSince(start), 2000);
        EXPECT_EQ(INVALID_SOCKET, socket.m_hSocket);
    }
}

TEST(ClientSocket, BlockingReceiveEndsFromThePumpOtherThreadsAndSignals)
{
    ScopedSigint sigint(cancelOnSignal);
    pthread_t waiter = pthread_self();
    enum Trigger { timer, postedCancel, windowTimers, postedClose, quit, otherThread, signalHere, signalElsewhere };
    struct Case {
        const char* reason;
        Trigger trigger;
        int error;
    } cases[] = {
        {"socket timer", timer, ETIMEDOUT},
        {"message posted by another thread cancels", postedCancel, EINTR},
        {"the thread's window timer cancels on its third tick", windowTimers, EINTR},
        {"message procedure closes the socket", postedClose, ECONNABORTED},
        {"WM_QUIT, which stays queued", quit, EINTR},
        {"cancel from another thread", otherThread, EINTR},
        {"SIGINT on the waiting thread", signalHere, EINTR},
        {"SIGINT on another thread", signalElsewhere, EINTR},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        ScriptedServer server({});
        CClientSocketEx socket;
        ASSERT_TRUE(socket.Connect("127.0.0.1", server.port()));
        g_cancelOnSignal = &socket;
        TestWindow window;
        int ticks = 0, nestedError = 0, stateInside = 0;
        window.onMessage = [&](UINT message, WPARAM) {
            stateInside = socket.m_nBlockingCall;
            char byte;
            if (socket.Receive(&byte, 1) == -1)
                nestedError = CClientSocketEx::GetLastError();
            if ((message == WM_TIMER && ++ticks == 3) || message == WM_USER + 1)
                socket.CancelBlockingCall();
            if (message == WM_USER + 2)
                socket.Close();
        };
        HWND hwnd = window.hwnd;
        DWORD thread = GetCurrentThreadId();
        // Without a working trigger the call ends by a later time-out and
        // the case fails instead of hanging.
        socket.SetTimer(c.trigger == timer ? 50 : 3000);
        if (c.trigger == windowTimers)
            ::SetTimer(hwnd, 7, 20, nullptr);

        Clock::time_point start = Clock::now();
        char buffer[16];
        int result;
        {
            Later trigger(40, [&] {
                switch (c.trigger) {
                case postedCancel: PostMessage(hwnd, WM_USER + 1, 0, 0); break;
                case postedClose: PostMessage(hwnd, WM_USER + 2, 0, 0); break;
                case quit: PostThreadMessage(thread, WM_QUIT, 5, 0); break;
                case otherThread: socket.CancelBlockingCall(); break;
                case signalHere: pthread_kill(waiter, SIGINT); break;
                case signalElsewhere: pthread_kill(pthread_self(), SIGINT); break;
                default: break;
                }
            });
            result = socket.Receive(buffer, sizeof buffer);
        }
        int error = CClientSocketEx::GetLastError();
        g_cancelOnSignal = nullptr;
        ::KillTimer(hwnd, 7);
        EXPECT_EQ(-1, result);
        EXPECT_EQ(c.error, error);
        EXPECT_LT(millisecondsSince(start), 2000);
        EXPECT_FALSE(socket.IsBlocking());
        if (c.trigger == postedCancel || c.trigger == postedClose || c.trigger == windowTimers) {
            EXPECT_EQ(CClientSocketEx::callReceive, stateInside);
            EXPECT_EQ(EINPROGRESS, nestedError);  // no second call while one runs
        }
        EXPECT_EQ(c.trigger == windowTimers ? 3 : 0, ticks);
        EXPECT_EQ(c.trigger == postedClose, socket.m_hSocket == INVALID_SOCKET);
        MSG msg;
        EXPECT_EQ(c.trigger == quit, PeekMessage(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE);
    }
}

TEST(ClientSocket, TimerAndCancelBindUntilUsedUpAndLoseNoData)
{
    ScriptedServer server({ScriptedServer::Pause(150), ScriptedServer::Send(bytesOf("late"))});
    CClientSocketEx socket;
    ASSERT_TRUE(socket.Connect("127.0.0.1", server.port()));
    char buffer[8] = {};
    // A cancel made while no call runs ends the next call, and only that.
    socket.CancelBlockingCall();
    EXPECT_EQ(-1, socket.Receive(buffer, 4));
    EXPECT_EQ(EINTR, CClientSocketEx::GetLastError());
    // The timer bounds every call until it is killed.
    socket.SetTimer(30);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(-1, socket.Receive(buffer, 4));
        EXPECT_EQ(ETIMEDOUT, CClientSocketEx::GetLastError());
    }
    socket.KillTimer();
    ASSERT_EQ(4, socket.Receive(buffer, 4));
    EXPECT_STREQ("late", buffer);
}

TEST(ClientSocket, PeerCloseIsToldOnceAfterTheCallAndSendingThenFailsQuietly)
{
    ScriptedServer server({ScriptedServer::Send(bytesOf("ab")), ScriptedServer::Close()});
    RecordingSocket socket;
    ASSERT_TRUE(socket.Connect("127.0.0.1", server.port()));
    ASSERT_TRUE(eventually([&] { return server.finished(); }));
    char buffer[8];
    EXPECT_EQ(2, socket.Receive(buffer, sizeof buffer));
    EXPECT_TRUE(socket.closeCodes.empty());
    EXPECT_EQ(0, socket.Receive(buffer, sizeof buffer));
    EXPECT_EQ(0, socket.Receive(buffer, sizeof buffer));
    EXPECT_EQ(std::vector<int>{0}, socket.closeCodes);
    EXPECT_EQ(CClientSocketEx::callNone, socket.stateDuringClose);

    // Writing to the closed connection fails with an error, not SIGPIPE.
    int result = 0;
    for (int i = 0; i < 20 && result >= 0; ++i)
        result = socket.Send("xxxxxxxx", 8);
    EXPECT_EQ(-1, result);
    int error = CClientSocketEx::GetLastError();
    EXPECT_TRUE(error == EPIPE || error == ECONNRESET) << strerror(error);
}

TEST(ClientSocket, SendWaitsForRoomAndDeliversEveryOctetInOrder)
{
    const int size = 8 * 1024 * 1024;  // far beyond the socket buffers
    ScriptedServer server({ScriptedServer::Pause(50), ScriptedServer::Read(size)});
    Bytes payload(size);
    for (int i = 0; i < size; ++i)
        payload[i] = (unsigned char)(i * 7 + i / 251);
    CClientSocketEx socket;
    ASSERT_TRUE(socket.Connect("127.0.0.1", server.port()));
    EXPECT_EQ(size, socket.Send(payload.data(), size));
    ASSERT_TRUE(eventually([&] { return server.finished(); }));
    EXPECT_TRUE(server.received() == payload);
}
