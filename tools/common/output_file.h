#pragma once
// An output named on the command line. A regular file (new or existing) is
// written to a temporary file in its folder and renamed over it only by
// commit(), so a failure or Ctrl-C leaves the old contents (or nothing) in
// place; the temporary file is the only thing ever removed. Symbolic links
// are followed: the file they name is replaced, the link stays. Standard
// output ("-"), devices, pipes and sockets are written directly, so there a
// failure leaves whatever was written.
#include <memory>
#include <string>
#include <sys/types.h>

#include "platform/afx.h"

class InputFile;

class OutputFile {
public:
    enum Kind {
        Ordinary,   // a new file gets the usual mode; a replaced one keeps its mode
        PrivateKey  // mode 0600; an existing file is replaced only with force
    };

    // Prepares the output: checks that it can be created (the temporary
    // file exists from here on). Throws Failure.
    explicit OutputFile(const std::string& name, Kind kind = Ordinary, bool force = false);
    // Without commit(): removes the temporary file, nothing else.
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    const std::string& name() const { return m_name; }
    // True when written directly (standard output, a device, a pipe).
    bool streams() const { return m_temporary.empty(); }
    // Throws Failure when the input is this very file, however named.
    void refuseSameFileAs(const InputFile& input) const;

    // The file to write to (throws CFileException on a write error).
    CFile& file() { return *m_file; }
    // Writes all bytes; throws Failure naming the output.
    void write(const void* data, size_t n);
    void write(const std::string& text) { write(text.data(), text.size()); }
    // Makes the output final: flushes, closes and renames the temporary file
    // over the target. Throws Failure.
    void commit();

private:
    std::string m_name;
    std::string m_target;     // the real file replaced (links resolved)
    std::string m_temporary;  // empty when streaming
    dev_t m_device = 0;
    ino_t m_inode = 0;
    bool m_exists = false;
    std::unique_ptr<CFile> m_file;
};
