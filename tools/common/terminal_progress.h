#pragma once
// A progress bar on standard error, drawn only when standard error is a
// terminal. A command moves it itself (show) or lets the library move it
// through the progress-bar messages of a CProgress (set range, set position,
// delta), which reach the bar on the thread that made it.
#include <memory>
#include <string>

#include "platform/afx.h"

class CProgress;

class TerminalProgress {
public:
    explicit TerminalProgress(const std::string& label);
    ~TerminalProgress();
    TerminalProgress(const TerminalProgress&) = delete;
    TerminalProgress& operator=(const TerminalProgress&) = delete;

    bool active() const { return m_active; }
    void show(unsigned long long done, unsigned long long total);
    // Removes the bar from the line.
    void clear();
    // Posts its messages to this bar; null when the bar is not drawn.
    CProgress* libraryProgress();

private:
    static LRESULT onMessage(HWND, UINT message, WPARAM wParam, LPARAM lParam, void* context);
    void draw(int percent);

    std::string m_label;
    bool m_active;
    bool m_drawn = false;
    int m_percent = -1;
    long m_max = 100, m_position = 0;
    HWND m_window = nullptr;
    std::unique_ptr<CProgress> m_progress;
};
