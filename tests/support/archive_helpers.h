#pragma once
// Helpers for archive-form tests: an object's stored bytes, and the cause of
// the archive exception that loading given bytes raises.
#include <vector>

#include "platform/afx.h"

// Any object with Serialize(CArchive&): CObject classes and the directory
// client's records alike.
template <class T>
std::vector<unsigned char> storedBytes(T& object)
{
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        object.Serialize(ar);
        ar.Close();
    }
    std::vector<unsigned char> out(file.GetLength());
    file.SeekToBegin();
    file.Read(out.data(), (UINT)out.size());
    return out;
}

// 0 when the bytes load without an archive exception.
template <class T>
int archiveLoadCause(T& object, const std::vector<unsigned char>& bytes)
{
    CMemFile file;
    file.Write(bytes.data(), (UINT)bytes.size());
    file.SeekToBegin();
    try {
        CArchive ar(&file, CArchive::load);
        object.Serialize(ar);
    } catch (CArchiveException* e) {
        const int cause = e->m_cause;
        e->Delete();
        return cause;
    }
    return 0;
}
