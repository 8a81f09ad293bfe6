#pragma once
// A plain blocking TCP connection for sending LDAP messages to a test server
// and reading its answers whole, framed by ___extractEncodingLength. Every
// call gives up after 10 seconds instead of hanging the test.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <vector>

#include "vaultcore/vaultcore.h"

class LdapTestSocket {
public:
    LdapTestSocket() = default;
    LdapTestSocket(const LdapTestSocket&) = delete;
    LdapTestSocket& operator=(const LdapTestSocket&) = delete;
    ~LdapTestSocket() { close(); }

    bool connect(int port)
    {
        close();
        m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
        if (m_fd < 0)
            return false;
        timeval timeout{10, 0};
        ::setsockopt(m_fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
        ::setsockopt(m_fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons((uint16_t)port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        return ::connect(m_fd, (sockaddr*)&address, sizeof address) == 0;
    }

    void close()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }

    bool send(const CByteArray& bytes) { return send(bytes.GetData(), (size_t)bytes.GetSize()); }

    bool send(const unsigned char* data, size_t size)
    {
        while (size > 0) {
            ssize_t n = ::send(m_fd, data, size, MSG_NOSIGNAL);
            if (n <= 0)
                return false;
            data += n;
            size -= (size_t)n;
        }
        return true;
    }

    // One whole message; empty when the server closed the connection, took
    // too long or sent something that is not a DER value.
    std::vector<unsigned char> receive()
    {
        std::vector<unsigned char> message;
        long total = -1;
        while (total < 0) {
            // Two octets first, then one more at a time until the length is known.
            size_t want = message.size() < 2 ? 2 - message.size() : 1;
            if (!readExactly(message, want))
                return {};
            total = ___extractEncodingLength(message.data(), (unsigned long)message.size());
            if (total < -1)
                return {};
        }
        if (!readExactly(message, (size_t)total - message.size()))
            return {};
        return message;
    }

    // True when the server closes the connection within waitMs (nothing
    // more to read); false when it stays open or data arrives.
    bool closedByServer(int waitMs = 1000)
    {
        pollfd ready{m_fd, POLLIN, 0};
        if (::poll(&ready, 1, waitMs) <= 0)
            return false;
        unsigned char byte;
        return ::recv(m_fd, &byte, 1, MSG_PEEK) == 0;
    }

private:
    bool readExactly(std::vector<unsigned char>& into, size_t n)
    {
        while (n > 0) {
            unsigned char buffer[4096];
            ssize_t got = ::recv(m_fd, buffer, n < sizeof buffer ? n : sizeof buffer, 0);
            if (got <= 0)
                return false;
            into.insert(into.end(), buffer, buffer + got);
            n -= (size_t)got;
        }
        return true;
    }

    int m_fd = -1;
};
