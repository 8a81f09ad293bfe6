#pragma once
// Helpers of the connection tests: an owner that logs the client's events,
// a client with a scripted server, and LDAP messages as bytes.
#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "dirlink/dirlink.h"
#include "support/der_helpers.h"
#include "support/scripted_server.h"
#include "support/socket_test_helpers.h"

using Step = ScriptedServer::Step;

struct EventLog : IClientEvents {
    std::vector<unsigned long> codes;
    void OnClientEvent(unsigned long code, void* p1, void* p2, void* p3, void* p4) override
    {
        codes.push_back(code);
        EXPECT_TRUE(!p1 && !p2 && !p3 && !p4);
    }
};

struct Session {
    explicit Session(std::vector<Step> script) : server(std::move(script)) {}
    ~Session()
    {
        if (client)
            client->Destroy();
    }
    BOOL connect() { return client->Connect("127.0.0.1", server.port()); }

    EventLog events;
    ScriptedServer server;
    CLdapClient* client = CLdapClient::Create(&events);
};

inline Bytes concat(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

// A SEQUENCE of length filler octets, its length in lengthOctets long-form octets.
inline Bytes sequenceOf(size_t length, int lengthOctets)
{
    Bytes bytes{0x30, (unsigned char)(0x80 | lengthOctets)};
    for (int i = lengthOctets - 1; i >= 0; --i)
        bytes.push_back((unsigned char)(length >> (8 * i)));
    for (size_t i = 0; i < length; ++i)
        bytes.push_back((unsigned char)(i * 31 + 7));
    return bytes;
}

// A successful delete response (as slapd sends it) with message ID id < 128.
inline Bytes deleteResponse(int id)
{
    char hex[64];
    std::snprintf(hex, sizeof hex, "30 0C 02 01 %02X 6B 07 0A 01 00 04 00 04 00", id);
    return hexBytes(hex);
}
