#include "common/terminal_progress.h"

#include <cstdio>
#include <unistd.h>

#include "vaultcore/vaultcore.h"

namespace {
const int kWidth = 40;
}

TerminalProgress::TerminalProgress(const std::string& label) : m_label(label), m_active(isatty(2) == 1) {}

TerminalProgress::~TerminalProgress()
{
    clear();
    if (m_window)
        DestroyWindow(m_window);
}

void TerminalProgress::show(unsigned long long done, unsigned long long total)
{
    if (total)
        draw(done >= total ? 100 : (int)(done * 100 / total));
}

void TerminalProgress::draw(int percent)
{
    if (!m_active || percent == m_percent)
        return;
    m_percent = percent;
    const int filled = percent * kWidth / 100;
    std::fprintf(stderr, "\r%s [%.*s%*s] %3d%%", m_label.c_str(), filled, std::string(kWidth, '#').c_str(),
                 kWidth - filled, "", percent);
    std::fflush(stderr);
    m_drawn = true;
}

void TerminalProgress::clear()
{
    if (m_drawn)
        std::fprintf(stderr, "\r%*s\r", (int)m_label.size() + kWidth + 8, "");
    m_drawn = false;
    m_percent = -1;
}

CProgress* TerminalProgress::libraryProgress()
{
    if (!m_active)
        return nullptr;
    if (!m_progress) {
        m_window = CreateMessageWindow(onMessage, this);
        m_progress = std::make_unique<CProgress>(m_window, 1);
    }
    return m_progress.get();
}

LRESULT TerminalProgress::onMessage(HWND, UINT message, WPARAM wParam, LPARAM lParam, void* context)
{
    auto* bar = static_cast<TerminalProgress*>(context);
    switch (message) {
    case PBM_SETRANGE:
        bar->m_max = (long)((lParam >> 16) & 0xFFFF);
        break;
    case PBM_SETPOS:
        bar->m_position = (long)wParam;
        break;
    case PBM_DELTAPOS:
        bar->m_position += (long)wParam;
        break;
    default:
        return 0;
    }
    if (bar->m_max > 0)
        bar->show((unsigned long long)bar->m_position, (unsigned long long)bar->m_max);
    return 0;
}
