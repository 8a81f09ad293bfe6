// vcore keygen --bits N [--exponent 3|65537] --out FILE [--format archive|pkcs1]
// A new RSA key pair, generated on a worker thread while a progress bar on
// the terminal follows the generator's progress messages; Ctrl-C cancels
// the generation through ThreadKillFlag / ThreadToKill. The key is written
// in the library's stored form (archive) or as PKCS #1 RSAPrivateKey DER.
#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "common/command.h"
#include "vaultcore/vaultcore.h"

namespace {

const UINT kDoneMessage = 0x0400 + 100;  // posted by the worker when it ends

volatile std::sig_atomic_t g_interrupted = 0;

void onInterrupt(int)
{
    g_interrupted = 1;
}

// Follows the set-range, set-position and delta messages of the generator.
struct Bar {
    int max = 100, position = 0;
    bool drawn = false, terminal = false;
    int result = -1;  // 0 done, 1 failed, 2 cancelled

    void draw()
    {
        if (!terminal || max <= 0)
            return;
        const int width = 40;
        int filled = position >= max ? width : position * width / max;
        std::fprintf(stderr, "\rgenerating [%.*s%*s] %3d%%", filled, "########################################",
                     width - filled, "", position >= max ? 100 : position * 100 / max);
        std::fflush(stderr);
        drawn = true;
    }
    void clear()
    {
        if (drawn)
            std::fprintf(stderr, "\r%60s\r", "");
        drawn = false;
    }
};

LRESULT barProc(HWND, UINT message, WPARAM wParam, LPARAM lParam, void* context)
{
    Bar* bar = static_cast<Bar*>(context);
    switch (message) {
    case 1025:  // set range: max in the high half
        bar->max = (int)((lParam >> 16) & 0xFFFF);
        break;
    case 1026:  // set position
        bar->position = (int)wParam;
        bar->draw();
        break;
    case 1027:  // delta
        bar->position += (int)wParam;
        bar->draw();
        break;
    case kDoneMessage:
        bar->result = (int)wParam;
        break;
    default:
        break;
    }
    return 0;
}

// RSAPrivateKey ::= SEQUENCE { version, n, e, d, p, q, dP, dQ, qInv } (RFC 8017, A.1.2)
std::vector<unsigned char> pkcs1(const CRSAPrivateKey& key)
{
    CASN1_SEQUENCE seq;
    seq.AddObject(new CASN1_INTEGER(0ul));
    seq.AddObject(new CASN1_INTEGER(key.GetModulus(), 256));
    seq.AddObject(new CASN1_INTEGER(key.GetExponent(), 256));
    seq.AddObject(new CASN1_INTEGER(key.GetPrivateExponent(), 256));
    seq.AddObject(new CASN1_INTEGER(key.GetPrime(0), 128));
    seq.AddObject(new CASN1_INTEGER(key.GetPrime(1), 128));
    seq.AddObject(new CASN1_INTEGER(key.GetPrimeExponent(0), 128));
    seq.AddObject(new CASN1_INTEGER(key.GetPrimeExponent(1), 128));
    seq.AddObject(new CASN1_INTEGER(key.GetCoefficient(), 128));
    CByteArray der;
    seq.encodeTo(der);
    return std::vector<unsigned char>(der.GetData(), der.GetData() + der.GetSize());
}

int keygen(const std::vector<std::string>& args)
{
    long bits = 0, exponent = 65537;
    std::string out, format = "archive";
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--bits" && hasValue)
            bits = std::strtol(args[++i].c_str(), nullptr, 10);
        else if (a == "--exponent" && hasValue)
            exponent = std::strtol(args[++i].c_str(), nullptr, 10);
        else if (a == "--out" && hasValue)
            out = args[++i];
        else if (a == "--format" && hasValue)
            format = args[++i];
        else
            return fail("usage: vcore keygen --bits N [--exponent 3|65537] --out FILE [--format archive|pkcs1]");
    }
    if (bits < 512 || bits > 2048)
        return fail("--bits must lie between 512 and 2048");
    if (exponent != 3 && exponent != 65537)
        return fail("--exponent must be 3 or 65537");
    if (out.empty())
        return fail("--out FILE is required");
    if (format != "archive" && format != "pkcs1")
        return fail("--format must be archive or pkcs1");

    Bar bar;
    bar.terminal = isatty(2);
    HWND window = CreateMessageWindow(barProc, &bar);
    std::atomic<CWinThread*> workerThread{nullptr};
    CRSAPrivateKey key;
    std::string failure;

    std::signal(SIGINT, onInterrupt);
    std::thread worker([&] {
        workerThread = AfxGetThread();
        CProgress progress(window, 1);
        int result = 0;
        try {
            CRSAKeyPair pair((unsigned short)bits, exponent == 65537 ? 1 : 0, nullptr, 0, &progress);
            if (pair.TestKeys(4, nullptr, 1) != 0) {
                failure = "the new key failed its self-test";
                result = 1;
            } else {
                key = pair;
            }
        } catch (CKillThreadException* e) {
            e->Delete();
            result = 2;
        } catch (CUnlockException* e) {
            e->Delete();
            failure = "prime search failed";
            result = 1;
        }
        PostMessage(window, kDoneMessage, (WPARAM)result, 0);
    });

    // The main thread pumps the progress messages and watches for Ctrl-C.
    bool cancelling = false;
    while (bar.result < 0) {
        MSG msg;
        while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessage(&msg);
        if (g_interrupted && !cancelling && workerThread.load()) {
            ThreadToKill = workerThread.load();
            ThreadKillFlag = 1;
            cancelling = true;
        }
        if (bar.result < 0)
            usleep(20000);
    }
    worker.join();
    ThreadKillFlag = 0;
    ThreadToKill = nullptr;
    std::signal(SIGINT, SIG_DFL);
    bar.clear();
    DestroyWindow(window);

    if (bar.result == 2)
        return fail("cancelled");
    if (bar.result != 0)
        return fail(failure);

    try {
        CFile file(out.c_str(), CFile::modeCreate | CFile::modeWrite | CFile::typeBinary);
        if (format == "pkcs1") {
            const std::vector<unsigned char> der = pkcs1(key);
            file.Write(der.data(), (UINT)der.size());
        } else {
            CArchive ar(&file, CArchive::store);
            key.Serialize(ar);
            ar.Close();
        }
        file.Close();
    } catch (CException* e) {
        char text[256] = "";
        e->GetErrorMessage(text, sizeof text);
        e->Delete();
        return fail(out + ": cannot write the key" + (text[0] ? std::string(": ") + text : std::string()));
    }
    return 0;
}

const Command keygenCommand("keygen", "--bits N [--exponent 3|65537] --out FILE [--format archive|pkcs1]",
                            "a new RSA key pair", nullptr, keygen);

}  // namespace
