#pragma once
// An input named on the command line: a file, or standard input for "-".
// Pipes, FIFOs, devices and process substitution read like files: the data
// is read to its end in large blocks and never measured first. A directory
// or an input that cannot be opened or read ends the command with one line
// naming it.
#include <string>
#include <sys/stat.h>
#include <vector>

class InputFile {
public:
    // Bytes per read call, and the size of a whole-input read's steps.
    static const size_t kBlockSize = 1 << 20;

    explicit InputFile(const std::string& name);  // throws Failure
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    const std::string& name() const { return m_name; }
    int descriptor() const { return m_fd; }
    const struct stat& status() const { return m_status; }
    // The size of a regular file (for progress), or -1 when it is not one.
    long long knownSize() const;

    // Up to n bytes; 0 at the end. Throws Failure on a read error.
    size_t read(void* buffer, size_t n);
    // Everything from here to the end.
    std::vector<unsigned char> readAll();

private:
    std::string m_name;
    int m_fd;
    struct stat m_status;
};
