// When memory runs out, a platform call throws the shared CMemoryException
// (or, where it answers with a result, answers failure): never
// std::bad_alloc, which a host catching the class library's exceptions would
// not expect.
#include <gtest/gtest.h>

#include <functional>
#include <thread>

#include "platform/afx.h"
#include "support/der_helpers.h"
#include "support/failing_allocator.h"

namespace {

LRESULT ignore(HWND, UINT, WPARAM, LPARAM, void*)
{
    return 0;
}

TEST(OutOfMemory, CallsThrowTheMemoryException)
{
    if (!kAllocationsCanFail)
        GTEST_SKIP() << "operator new cannot be replaced in this build";
    const CString big('x', 100);
    CString target;
    CMemFile file;
    Bytes stored(21, 'a');  // a 20-character string: too long to be kept inline
    stored[0] = 20;
    CMemFile storedFile(stored.data(), (UINT)stored.size(), 0);
    CArchive loading(&storedFile, CArchive::load);
    struct Case {
        const char* call;
        std::function<void()> run;
    } cases[] = {
        {"CString copy", [&] { CString copy(big); }},
        {"CString append", [&] { target += big; }},
        {"CString Format", [&] { target.Format("%s", (const char*)big); }},
        {"CArchive on a file", [&] { CArchive ar(&file, CArchive::store); }},
        {"string from an archive", [&] { loading >> target; }},
        {"object made by name", [&] { delete CRuntimeClass::CreateObject("CStringArray"); }},
        {"window", [&] { DestroyWindow(CreateMessageWindow(ignore, nullptr)); }},
    };
    for (const Case& c : cases)
        EXPECT_TRUE(throwsAndDeletes<CMemoryException>([&] {
            AllocationsFail failing;
            c.run();
        })) << c.call;
}

TEST(OutOfMemory, ANewThreadsObject)
{
    if (!kAllocationsCanFail)
        GTEST_SKIP() << "operator new cannot be replaced in this build";
    bool memoryException = false;
    std::thread worker([&] {
        memoryException = throwsAndDeletes<CMemoryException>([] {
            AllocationsFail failing;
            AfxGetThread();
        });
    });
    worker.join();
    EXPECT_TRUE(memoryException);
}

TEST(OutOfMemory, CallsWithAResultAnswerFailure)
{
    if (!kAllocationsCanFail)
        GTEST_SKIP() << "operator new cannot be replaced in this build";
    HWND window = CreateMessageWindow(ignore, nullptr);
    CComboBox box;
    bool refused = false;
    int added;
    UINT_PTR timer;
    {
        AllocationsFail failing;
        for (int i = 0; i < 1000 && !refused; ++i)
            refused = !PostMessage(window, WM_USER, 0, 0);
        added = box.AddString("an item too long to be kept inline");
        timer = SetTimer(window, 1, 100, nullptr);
    }
    EXPECT_TRUE(refused);
    EXPECT_EQ(added, CB_ERRSPACE);
    EXPECT_EQ(timer, 0u);
    EXPECT_EQ(box.GetCount(), 0);
    DestroyWindow(window);
}

}  // namespace
