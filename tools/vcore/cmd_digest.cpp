// vcore digest [--md2|--md5|--sha1] FILE...: one line per file, as sha1sum
// prints it ("-" reads standard input). On a terminal, large files get a
// progress bar on standard error, drawn from the digest's progress messages.
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "common/command.h"
#include "vaultcore/vaultcore.h"

namespace {
// Files from this size on get a progress bar.
const unsigned long kProgressThreshold = 8ul << 20;

// Draws the bar from the progress messages: every delta is one compressed
// block of blockSize bytes out of total.
struct ProgressBar {
    unsigned long total = 0;
    int blockSize = 64;
    unsigned long hints = 0;
    int drawnPercent = -1;
    bool shown = false;

    void draw(int percent)
    {
        if (percent == drawnPercent)
            return;
        drawnPercent = percent;
        const int width = 40;
        int filled = percent * width / 100;
        std::fprintf(stderr, "\r[%s%s] %3d%%", std::string((size_t)filled, '#').c_str(),
                     std::string((size_t)(width - filled), ' ').c_str(), percent);
        std::fflush(stderr);
        shown = true;
    }
    void clear()
    {
        if (shown)
            std::fprintf(stderr, "\r%60s\r", "");
        shown = false;
    }
};

LRESULT progressProc(HWND, UINT message, WPARAM wParam, LPARAM lParam, void* context)
{
    auto* bar = static_cast<ProgressBar*>(context);
    switch (message) {
    case PBM_SETRANGE:
        // SetUp(1, 0, 1, 1) ends the pass; any other range starts one.
        if (HIWORD(lParam) != 1)
            bar->hints = 0;
        break;
    case PBM_DELTAPOS:
        bar->hints += wParam;
        if (bar->total) {
            unsigned long long done = (unsigned long long)bar->hints * (unsigned)bar->blockSize;
            int percent = done >= bar->total ? 100 : (int)(done * 100 / bar->total);
            bar->draw(percent);
        }
        break;
    case PBM_SETPOS:
        if (wParam == 1 && bar->hints > 0)
            bar->clear();
        break;
    }
    return 0;
}

std::unique_ptr<CDigestMaker> makeDigest(EDigestAlgorithm algorithm)
{
    switch (algorithm) {
    case eMD2:
        return std::make_unique<CMD2DigestMaker>();
    case eMD5:
        return std::make_unique<CMD5DigestMaker>();
    default:
        return std::make_unique<CSHA1DigestMaker>();
    }
}

// Digests standard input to its end.
void digestStream(CDigestMaker& digest)
{
    unsigned char chunk[65536];
    for (;;) {
        ssize_t n = read(0, chunk, sizeof chunk);
        if (n < 0)
            AfxThrowFileException(CFileException::hardIO, errno, "-");
        if (n == 0)
            break;
        digest.UpdateBlock(chunk, (int)n, nullptr, 0, 1);
    }
    digest.UpdateBlock(nullptr, 0, nullptr, 1, 1);
}

std::string fileError(CFileException* e, const std::string& name)
{
    std::string reason = e->m_lOsError > 0 ? std::strerror((int)e->m_lOsError) : "";
    if (reason.empty()) {
        char text[256];
        e->GetErrorMessage(text, sizeof text);
        reason = text;
    }
    e->Delete();
    return name + ": " + reason;
}

int digest(const std::vector<std::string>& args)
{
    EDigestAlgorithm algorithm = eSHA1;
    std::vector<std::string> files;
    bool options = true;
    for (const std::string& arg : args) {
        if (options && arg == "--md2")
            algorithm = eMD2;
        else if (options && arg == "--md5")
            algorithm = eMD5;
        else if (options && arg == "--sha1")
            algorithm = eSHA1;
        else if (options && arg == "--")
            options = false;
        else if (options && arg.size() > 1 && arg[0] == '-')
            return fail("unknown option '" + arg + "'; usage: vcore digest [--md2|--md5|--sha1] FILE...");
        else
            files.push_back(arg);
    }
    if (files.empty())
        return fail("usage: vcore digest [--md2|--md5|--sha1] FILE...");

    const bool terminal = isatty(2);
    ProgressBar bar;
    HWND window = CreateMessageWindow(progressProc, &bar);
    CProgress progress(window, 0);
    int status = 0;
    for (const std::string& name : files) {
        std::unique_ptr<CDigestMaker> maker = makeDigest(algorithm);
        try {
            if (name == "-") {
                digestStream(*maker);
            } else {
                CFile file;
                CFileException* error = new CFileException;
                if (!file.Open(name.c_str(), CFile::modeRead | CFile::shareDenyNone, error))
                    throw error;
                error->Delete();
                unsigned long length = file.GetLength();
                bool showBar = terminal && length >= kProgressThreshold;
                bar = ProgressBar();
                bar.total = length;
                bar.blockSize = maker->GetBlockSize();
                // Large files as a whole; empty ones too (0 would mean "to the end").
                maker->UpdateFile(file, length, showBar ? &progress : nullptr, 1);
                bar.clear();
            }
        } catch (CFileException* e) {
            bar.clear();
            fail(fileError(e, name));
            status = 1;
            continue;
        }
        unsigned char out[20];
        maker->GetCurrentDigest(out);
        std::string hex(OctetsToHexChars(out, DigestLength(algorithm)));
        for (char& c : hex)
            c = (char)std::tolower((unsigned char)c);
        std::printf("%s  %s\n", hex.c_str(), name.c_str());
    }
    DestroyWindow(window);
    return status;
}

const Command digestCommand("digest", "[--md2|--md5|--sha1] FILE...", "digests, one line per file as sha1sum prints",
                            nullptr, digest);
}  // namespace
