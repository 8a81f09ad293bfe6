#pragma once
// Inside netcore only: one host-name look-up that its caller can stop
// waiting for. getaddrinfo can be neither interrupted nor bounded in time,
// so a name is looked up on a detached worker thread of its own; the worker
// and the caller share the result, and whichever lets go last frees it. A
// caller that gives up (time-out, cancel) returns at once and the worker
// ends by itself when the resolver answers. Numeric addresses need no
// worker: they are answered at once.
#include <memory>

struct addrinfo;

class NameResolution {
public:
    // host may be an IPv6 address in brackets ("[::1]").
    NameResolution(const char* host, unsigned port);
    ~NameResolution();
    NameResolution(const NameResolution&) = delete;
    NameResolution& operator=(const NameResolution&) = delete;

    // Starts the look-up. false (errno set) when no worker could be started.
    bool start();
    // A descriptor that becomes readable once the answer is there.
    int readyFd() const;
    bool done() const;
    // The resolver's answer: 0 or an EAI_ code (meaningful once done).
    int error() const;
    // Hands the addresses over; the caller frees them with freeaddrinfo.
    addrinfo* takeAddresses();

private:
    struct Shared;
    std::shared_ptr<Shared> m_shared;
};
