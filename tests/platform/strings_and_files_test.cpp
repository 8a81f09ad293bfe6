// CString, the arrays and the memory file: the behaviour the libraries
// lean on.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>

#include "platform/afx.h"
#include "support/der_helpers.h"

namespace {

TEST(CStringOps, SlicingSearchingTrimming)
{
    CString s("  Hello, World  ");
    s.TrimLeft();
    s.TrimRight();
    EXPECT_EQ(s, "Hello, World");
    EXPECT_EQ(s.Left(5), "Hello");
    EXPECT_EQ(s.Mid(7), "World");
    EXPECT_EQ(s.Mid(7, 100), "World");
    EXPECT_EQ(s.Right(5), "World");
    EXPECT_EQ(s.Mid(50), "");
    EXPECT_EQ(s.Find(','), 5);
    EXPECT_EQ(s.Find("World"), 7);
    EXPECT_EQ(s.Find('o', 5), 8);
    EXPECT_EQ(s.ReverseFind('o'), 8);
    EXPECT_EQ(s.Find('z'), -1);
    EXPECT_EQ(s.CompareNoCase("HELLO, world"), 0);
    CString lower = s;
    lower.MakeLower();
    EXPECT_EQ(lower, "hello, world");
    CString f;
    f.Format("%d-%s-%02x", 7, "x", 10);
    EXPECT_EQ(f, "7-x-0a");
    CString withZero("a\0b", 3);
    EXPECT_EQ(withZero.GetLength(), 3);
    EXPECT_EQ(CString((const char*)nullptr), "");
}

TEST(CStringOps, Buffers)
{
    CString s;
    char* p = s.GetBuffer(10);
    strcpy(p, "abc");
    s.ReleaseBuffer();
    EXPECT_EQ(s.GetLength(), 3);
    s.Replace("b", "xyz");
    EXPECT_EQ(s, "axyzc");
    s.Delete(1, 3);
    EXPECT_EQ(s, "ac");
    s.Insert(1, 'b');
    EXPECT_EQ(s, "abc");
}

TEST(Arrays, InsertRemoveAndGrow)
{
    CStringArray a;
    for (int i = 0; i < 100; ++i) {
        CString item;
        item.Format("%d", i);
        a.Add(item);
    }
    a.InsertAt(0, "first");
    a.RemoveAt(1, 10);
    EXPECT_EQ(a.GetSize(), 91);
    EXPECT_EQ(a[0], "first");
    EXPECT_EQ(a[1], "10");
    a.SetAtGrow(95, "end");
    EXPECT_EQ(a.GetSize(), 96);
    EXPECT_EQ(a[94], "");
    CStringArray copy;
    copy.Copy(a);
    copy.Append(a);
    EXPECT_EQ(copy.GetSize(), 192);

    CByteArray bytes;
    bytes.SetSize(5);
    EXPECT_EQ(bytes[4], 0);
    bytes.Add(bytes[0]);  // element of the array itself
    EXPECT_EQ(bytes.GetSize(), 6);
}

TEST(MemFile, SeekReadWriteAndGrow)
{
    CMemFile file(16);
    file.Write("abcdef", 6);
    EXPECT_EQ(file.GetLength(), 6u);
    file.Seek(-2, CFile::end);
    char two[3] = {};
    EXPECT_EQ(file.Read(two, 5), 2u);
    EXPECT_STREQ(two, "ef");
    file.Seek(10, CFile::begin);
    file.Write("z", 1);
    EXPECT_EQ(file.GetLength(), 11u);
    EXPECT_TRUE(throwsAndDeletes<CFileException>([&] { file.Seek(-20, CFile::current); }));
    EXPECT_EQ(file.GetBufferPointer()[7], 0);  // the gap reads as zeros

    BYTE fixed[4] = {1, 2, 3, 4};
    CMemFile over(fixed, 4, 0);
    EXPECT_EQ(over.GetLength(), 4u);
    over.SeekToEnd();
    EXPECT_TRUE(throwsAndDeletes<CMemoryException>([&] { over.Write("x", 1); }));
}

TEST(Exceptions, SharedMemoryExceptionSurvivesDelete)
{
    try {
        AfxThrowMemoryException();
    } catch (CException* e) {
        EXPECT_FALSE(e->m_bAutoDelete);
        e->Delete();
    }
    try {
        AfxThrowFileException(CFileException::badSeek, 22, "f");
    } catch (CFileException* e) {
        char message[128];
        EXPECT_TRUE(e->GetErrorMessage(message, sizeof message));
        EXPECT_EQ(e->m_cause, 9);
        e->Delete();
    }
}

TEST(Files, OpenFailureAndRoundTrip)
{
    CFile missing;
    CFileException error;
    EXPECT_FALSE(missing.Open("/nonexistent/dir/file", CFile::modeRead, &error));
    EXPECT_EQ(error.m_cause, CFileException::fileNotFound);
    char path[] = "/tmp/vc_file_XXXXXX";
    int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    ::close(fd);
    {
        CFile file(path, CFile::modeCreate | CFile::modeReadWrite);
        file.Write("hello", 5);
        EXPECT_EQ(file.GetLength(), 5u);
        file.SeekToBegin();
        char buffer[6] = {};
        EXPECT_EQ(file.Read(buffer, 10), 5u);
        EXPECT_STREQ(buffer, "hello");
    }
    CFile::Remove(path);
    EXPECT_TRUE(throwsAndDeletes<CFileException>([&] { CFile::Remove(path); }));
}

}  // namespace
