#pragma once

#include <cstddef>
#include <string>

// Reading a small file of ours (settings, language, configuration) without ever
// waiting: a FIFO, a device or a socket under that name is refused, not opened for
// a read that blocks until someone writes.
enum class ReadStatus { Read, Missing, Unusable };

// The whole file in bytes. Missing when nothing is at the path (or a folder on the
// way is missing); Unusable when it is not a regular file, cannot be read, or is
// larger than maxBytes. mode, when given, receives the file's permission bits.
ReadStatus ReadRegularFile(const std::string& path, std::size_t maxBytes, std::string& bytes, unsigned* mode = nullptr);
