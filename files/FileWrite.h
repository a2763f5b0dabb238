#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Writes every byte to fd, going on after short writes and after writes a
// signal interrupted. Returns 0, or the errno value of the failure (EIO
// when the system writes nothing and reports no error).
int WriteAll(int fd, const void* data, std::size_t size);
int WriteAll(int fd, const std::string& data);

// The same at a place in the file, with pwrite: the file position is
// neither used nor moved.
int WriteAllAt(int fd, const void* data, std::size_t size, std::uint64_t offset);
