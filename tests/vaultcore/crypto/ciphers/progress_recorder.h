#pragma once
// A message window that records the progress-bar messages sent to it.
#include <vector>

#include "vaultcore/vaultcore.h"

struct ProgressRecorder {
    struct Message {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };
    std::vector<Message> messages;
    HWND window;

    ProgressRecorder() { window = CreateMessageWindow(&ProgressRecorder::proc, this); }
    ~ProgressRecorder() { DestroyWindow(window); }

    unsigned long hints() const
    {
        unsigned long n = 0;
        for (const Message& m : messages)
            if (m.message == 1027)
                n += (unsigned long)m.wParam;
        return n;
    }

private:
    static LRESULT proc(HWND, UINT message, WPARAM wParam, LPARAM lParam, void* context)
    {
        static_cast<ProgressRecorder*>(context)->messages.push_back({message, wParam, lParam});
        return 0;
    }
};
