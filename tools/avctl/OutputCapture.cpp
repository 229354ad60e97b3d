#include "OutputCapture.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <iostream>

namespace avctl {

namespace {
OutputCapture* g_current = nullptr;

// Pipes hold a whole operation's prints even before the reader runs.
constexpr int kPipeBytes = 1 << 20;
}  // namespace

FdStreamBuf::int_type FdStreamBuf::overflow(int_type c) {
    if (!Flush()) {
        return traits_type::eof();
    }
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
        *pptr() = traits_type::to_char_type(c);
        pbump(1);
    }
    return traits_type::not_eof(c);
}

int FdStreamBuf::sync() { return Flush() ? 0 : -1; }

bool FdStreamBuf::Flush() {
    const char* at = pbase();
    while (at < pptr()) {
        const ssize_t n = write(m_fd, at, static_cast<size_t>(pptr() - at));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            setp(m_buffer, m_buffer + sizeof m_buffer);
            return false;
        }
        at += n;
    }
    setp(m_buffer, m_buffer + sizeof m_buffer);
    return true;
}

OutputCapture::OutputCapture() {
    if (g_current != nullptr || pipe(m_wake) != 0) {
        return;
    }
    std::cout.flush();
    std::cerr.flush();
    std::fflush(stdout);
    std::fflush(stderr);
    int fds[2][2] = {{-1, -1}, {-1, -1}};
    bool ok = pipe(fds[0]) == 0 && pipe(fds[1]) == 0;
    for (int i = 0; ok && i < 2; ++i) {
        m_pipes[i].original = fcntl(m_pipes[i].target, F_DUPFD_CLOEXEC, 3);
        ok = m_pipes[i].original >= 0;
    }
    if (!ok) {
        for (auto& pair : fds) {
            for (int fd : pair) {
                if (fd >= 0) close(fd);
            }
        }
        for (Pipe& p : m_pipes) {
            if (p.original >= 0) close(p.original);
            p.original = -1;
        }
        return;
    }
    for (int i = 0; i < 2; ++i) {
        fcntl(fds[i][0], F_SETPIPE_SZ, kPipeBytes);
        fcntl(fds[i][0], F_SETFL, fcntl(fds[i][0], F_GETFL) | O_NONBLOCK);
        fcntl(fds[i][0], F_SETFD, FD_CLOEXEC);
        m_pipes[i].read = fds[i][0];
        dup2(fds[i][1], m_pipes[i].target);
        close(fds[i][1]);
    }
    m_outBuf = new FdStreamBuf(m_pipes[0].original);
    m_errBuf = new FdStreamBuf(m_pipes[1].original);
    m_coutWas = std::cout.rdbuf(m_outBuf);
    m_cerrWas = std::cerr.rdbuf(m_errBuf);
    std::cerr.setf(std::ios::unitbuf);
    m_active = true;
    g_current = this;
    m_reader = std::thread(&OutputCapture::Reader, this);
}

OutputCapture::~OutputCapture() {
    if (!m_active) {
        if (m_wake[0] >= 0) {
            close(m_wake[0]);
            close(m_wake[1]);
        }
        return;
    }
    // What is still unread goes where it would have gone without the capture.
    std::fflush(stdout);
    std::fflush(stderr);
    const char stop = 0;
    (void)!write(m_wake[1], &stop, 1);
    m_reader.join();
    std::cout.flush();
    std::cerr.flush();
    std::cout.rdbuf(m_coutWas);
    std::cerr.rdbuf(m_cerrWas);
    delete m_outBuf;
    delete m_errBuf;
    for (Pipe& p : m_pipes) {
        ReadAvailable(p);
        if (!p.pending.empty()) {
            (void)!write(p.original, p.pending.data(), p.pending.size());
        }
        dup2(p.original, p.target);
        close(p.original);
        close(p.read);
    }
    if (m_consoleFile != nullptr) {
        std::fclose(m_consoleFile);
    }
    close(m_wake[0]);
    close(m_wake[1]);
    g_current = nullptr;
}

OutputCapture* OutputCapture::Current() { return g_current; }

bool OutputCapture::ReadAvailable(Pipe& pipe) {
    char buffer[4096];
    while (true) {
        const ssize_t n = read(pipe.read, buffer, sizeof buffer);
        if (n > 0) {
            pipe.pending.append(buffer, static_cast<size_t>(n));
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            return n < 0;  // 0: every writer is gone
        }
    }
}

void OutputCapture::Reader() {
    // Empties the pipes while an operation runs, so that a print never
    // waits for a full pipe.
    pollfd fds[3] = {{m_pipes[0].read, POLLIN, 0}, {m_pipes[1].read, POLLIN, 0}, {m_wake[0], POLLIN, 0}};
    while (true) {
        if (poll(fds, 3, -1) < 0 && errno != EINTR) {
            return;
        }
        if (fds[2].revents != 0) {
            return;
        }
        std::lock_guard<std::mutex> lock(m_mutex);
        for (int i = 0; i < 2; ++i) {
            if (fds[i].revents != 0 && !ReadAvailable(m_pipes[i])) {
                fds[i].fd = -1;
            }
        }
    }
}

std::vector<host::JournalEntry> OutputCapture::Take() {
    std::vector<host::JournalEntry> lines;
    if (!m_active) {
        return lines;
    }
    std::fflush(stdout);
    std::fflush(stderr);
    std::lock_guard<std::mutex> lock(m_mutex);
    for (Pipe& p : m_pipes) {
        ReadAvailable(p);
        size_t start = 0;
        for (size_t end; (end = p.pending.find('\n', start)) != std::string::npos; start = end + 1) {
            std::string text = p.pending.substr(start, end - start);
            if (!text.empty() && text.back() == '\r') {
                text.pop_back();
            }
            if (text.find_first_not_of(" \t") != std::string::npos) {
                lines.push_back(host::JournalEntry{p.name, {std::move(text)}, "", ""});
            }
        }
        p.pending.erase(0, start);
    }
    return lines;
}

FILE* OutputCapture::ConsoleFile() {
    if (m_consoleFile == nullptr && m_active) {
        const int fd = dup(m_pipes[0].original);
        m_consoleFile = fd >= 0 ? fdopen(fd, "w") : nullptr;
    }
    return m_consoleFile != nullptr ? m_consoleFile : stdout;
}

}  // namespace avctl
