#pragma once
// Helpers of the connection tests: an owner that logs the client's events,
// a client connected to a scripted server, and LDAP messages as bytes.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
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

// A client of its own event log, talking to a server that plays script.
struct Session {
    explicit Session(std::vector<Step> script) : server(std::move(script)), client(CLdapClient::Create(&events)) {}
    ~Session()
    {
        if (client)
            client->Destroy();
    }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    BOOL connect() { return client->Connect("127.0.0.1", server.port()); }

    EventLog events;
    ScriptedServer server;
    CLdapClient* client;
};

inline Bytes concat(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

// A SEQUENCE whose contents are length octets of filler, with the length
// written in the long form of lengthOctets octets.
inline Bytes sequenceOf(size_t length, int lengthOctets)
{
    Bytes bytes{0x30, (unsigned char)(0x80 | lengthOctets)};
    for (int i = lengthOctets - 1; i >= 0; --i)
        bytes.push_back((unsigned char)(length >> (8 * i)));
    for (size_t i = 0; i < length; ++i)
        bytes.push_back((unsigned char)(i * 31 + 7));
    return bytes;
}

// A successful delete response with the message ID id (below 128).
inline Bytes deleteResponse(int id)
{
    char hex[64];
    std::snprintf(hex, sizeof hex, "30 0C 02 01 %02X 6B 07 0A 01 00 04 00 04 00", id);
    return hexBytes(hex);
}

inline Bytes bytesOf(const CByteArray& array)
{
    return Bytes(array.GetData(), array.GetData() + array.GetSize());
}
