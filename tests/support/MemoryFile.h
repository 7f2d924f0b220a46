// A file held in memory with a path that fopen accepts, for fuzz targets of readers that open files by name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include <sys/mman.h>
#include <unistd.h>

class MemoryFile {
public:
    MemoryFile(const uint8_t* data, size_t size)
    {
        m_fd = ::memfd_create("zr_fuzz_input", MFD_CLOEXEC);
        size_t done = 0;
        while (m_fd >= 0 && done < size) {
            ssize_t wrote = ::write(m_fd, data + done, size - done);
            if (wrote <= 0)
                break;
            done += static_cast<size_t>(wrote);
        }
    }
    ~MemoryFile()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    bool IsValid() const { return m_fd >= 0; }
    // Each open of the path starts at the first byte.
    std::string Path() const { return "/proc/self/fd/" + std::to_string(m_fd); }

private:
    int m_fd = -1;
};
