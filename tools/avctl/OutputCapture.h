// Where the library's own prints go on the host: the console takes
// descriptors 1 and 2, reads what is written there, and writes its own
// output through duplicates of the original descriptors.
#pragma once

#include <cstdio>
#include <mutex>
#include <streambuf>
#include <string>
#include <thread>
#include <vector>

#include "host/HostControl.h"

namespace avctl {

// A stream buffer that writes straight to a file descriptor.
class FdStreamBuf : public std::streambuf {
public:
    explicit FdStreamBuf(int fd) : m_fd(fd) { setp(m_buffer, m_buffer + sizeof m_buffer); }
    ~FdStreamBuf() override { sync(); }

protected:
    int_type overflow(int_type c) override;
    int sync() override;

private:
    bool Flush();
    int m_fd;
    char m_buffer[4096];
};

class OutputCapture {
public:
    // Points descriptors 1 and 2 at pipes; std::cout and std::cerr then
    // write to the original descriptors. Active() is false when a pipe or
    // descriptor could not be had (output then goes where it went).
    OutputCapture();
    ~OutputCapture();
    OutputCapture(const OutputCapture&) = delete;
    OutputCapture& operator=(const OutputCapture&) = delete;

    // The capture of this process, or nullptr.
    static OutputCapture* Current();

    // Every complete, non-blank line printed on descriptor 1 ("stdout") or 2
    // ("stderr") since the last call, in the order each stream printed them,
    // as journal entries NAME "TEXT". C stdio is flushed first.
    std::vector<host::JournalEntry> Take();

    // The console's own standard output (the original descriptor 1), as a
    // C stream: for line editing, which writes its prompt there.
    FILE* ConsoleFile();

private:
    struct Pipe {
        const char* name;
        int target;        // 1 or 2
        int original = -1;  // duplicate of the original descriptor
        int read = -1;
        std::string pending;  // read, not yet a complete line
    };
    bool ReadAvailable(Pipe& pipe);  // with m_mutex held; false at end of file
    void Reader();

    bool m_active = false;
    Pipe m_pipes[2] = {{"stdout", 1, -1, -1, {}}, {"stderr", 2, -1, -1, {}}};
    int m_wake[2] = {-1, -1};
    std::mutex m_mutex;
    std::thread m_reader;
    FdStreamBuf* m_outBuf = nullptr;
    FdStreamBuf* m_errBuf = nullptr;
    std::streambuf* m_coutWas = nullptr;
    std::streambuf* m_cerrWas = nullptr;
    FILE* m_consoleFile = nullptr;
};

}  // namespace avctl
