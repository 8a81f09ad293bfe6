// MsgWaitForDescriptors: a poll that also returns when the calling thread's
// queue gets a message or one of its timers falls due.
#include <errno.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include "platform/message_queue.h"

using platform_detail::ThreadQueue;

namespace {
// How long the wait may sleep: 0 when the queue already holds input,
// otherwise the caller's limit shortened to the next timer.
int sleepLimitLocked(const ThreadQueue& queue, int timeoutMs)
{
    if (!queue.messages.empty())
        return 0;
    int64_t timer = platform_detail::nextTimerDelayLocked(queue, platform_detail::monotonicMs());
    if (timer < 0)
        return timeoutMs;
    if (timeoutMs < 0 || timer < timeoutMs)
        return (int)timer;
    return timeoutMs;
}
}  // namespace

int MsgWaitForDescriptors(struct pollfd* fds, unsigned count, int timeoutMs)
{
    if (count > kMsgWaitMaxDescriptors) {
        errno = EINVAL;
        return -1;
    }
    int wakeFd;
    int sleepMs;
    try {
        ThreadQueue& queue = platform_detail::myQueue();
        std::lock_guard<std::mutex> lock(queue.mutex);
        if (queue.wakeFd < 0) {
            queue.wakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
            if (queue.wakeFd < 0)
                return -1;
        }
        wakeFd = queue.wakeFd;
        sleepMs = sleepLimitLocked(queue, timeoutMs);
    } catch (const std::exception&) {  // no memory for the thread's queue, or a failed lock
        errno = ENOMEM;
        return -1;
    }

    pollfd all[kMsgWaitMaxDescriptors + 1];
    for (unsigned i = 0; i < count; ++i)
        all[i] = pollfd{fds[i].fd, fds[i].events, 0};
    all[count] = pollfd{wakeFd, POLLIN, 0};
    int ready = poll(all, count + 1, sleepMs);
    if (ready < 0)
        return errno == EINTR ? 0 : -1;

    // Drained after the poll and before the caller pumps: whatever is posted
    // from here on signals the descriptor again and ends the next wait.
    if (all[count].revents & POLLIN) {
        uint64_t counter;
        ssize_t got = read(wakeFd, &counter, sizeof counter);
        (void)got;
    }
    int withEvents = 0;
    for (unsigned i = 0; i < count; ++i) {
        fds[i].revents = all[i].revents;
        if (fds[i].revents)
            ++withEvents;
    }
    return withEvents;
}
