#pragma once
// A GoogleTest fixture whose test suite shares one throwaway slapd, loaded
// with the LDIF that Ldif() returns before the first test and stopped after
// the last; a test fails at once when the server could not start.
//
//   std::string directory();   // the entries
//   class Peer : public SlapdSuite<::testing::Test, directory> { ... };
//   TEST_F(Peer, Something) { ... server().port() ... }
#include <gtest/gtest.h>

#include <string>

#include "support/slapd_server.h"

template <class Base, std::string (*Ldif)()>
class SlapdSuite : public Base {
protected:
    static void SetUpTestSuite()
    {
        s_server = new SlapdServer;
        if (!s_server->start(Ldif(), &s_error)) {
            delete s_server;
            s_server = nullptr;
        }
    }
    static void TearDownTestSuite()
    {
        delete s_server;  // stops slapd by its process id
        s_server = nullptr;
    }
    void SetUp() override { ASSERT_NE(nullptr, s_server) << s_error; }

    static SlapdServer& server() { return *s_server; }

private:
    static inline SlapdServer* s_server = nullptr;
    static inline std::string s_error;
};
