#pragma once
// One compound file on disk while objects are open in it: its elements in
// memory, the advisory lock that enforces the sharing modes, and writing it
// back whole through a temporary file renamed over it. In direct mode it is
// written back, if changed, when the last object goes.
#include <string>

#include "dirlink/dirclient/compound_format.h"

namespace compound_format {

// The storage status for an errno value; otherwise when none fits.
HRESULT StatusFromErrno(int error, HRESULT otherwise);

class DiskFile {
public:
    DiskFile(std::string path, DWORD mode) : m_path(std::move(path)), m_mode(mode) {}
    ~DiskFile();
    DiskFile(const DiskFile&) = delete;
    DiskFile& operator=(const DiskFile&) = delete;

    const std::string& path() const { return m_path; }
    DWORD mode() const { return m_mode; }
    bool transacted() const { return (m_mode & STGM_TRANSACTED) != 0; }
    bool writable() const { return (m_mode & 3) != STGM_READ; }
    Element& root() { return m_root; }
    // An element changed: the file is to be written back.
    void touch() { m_dirty = true; }

    // Takes the lock the mode asks for: an opener that writes or denies
    // reading excludes every other; readers share. STG_E_SHAREVIOLATION on
    // a conflict.
    HRESULT lock();
    // Reads the file's elements.
    HRESULT load(SNB exclude);
    // Writes the whole file beside the old one and renames it over it,
    // keeping the old file's mode.
    HRESULT save();

private:
    std::string m_path;
    DWORD m_mode;
    Element m_root;
    int m_lockFd = -1;
    bool m_dirty = false;
};

}  // namespace compound_format
