#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// 24-bit files in the two formats the image library has no writer of its own for,
// written here so the depth is always 24 bits, whatever the colours of the picture.
// Rows go to the file as they come, top to bottom, so no whole copy of the picture
// is ever held: a BMP's bottom-up rows are placed at their offsets, a PCX is appended.
class RasterFileWriter {
public:
    enum class Kind { Bmp, Pcx };

    // Creates (or empties) the file and writes its header; null when the file cannot be
    // created or the format cannot hold that size, with error saying why in plain words.
    static std::unique_ptr<RasterFileWriter> Create(
        Kind kind, const std::string& path, int width, int height, std::string& error);
    ~RasterFileWriter();
    RasterFileWriter(const RasterFileWriter&) = delete;
    RasterFileWriter& operator=(const RasterFileWriter&) = delete;

    // The next `count` rows: RGB, three bytes a pixel, `stride` bytes from one row's start
    // to the next. False once anything could not be written.
    bool PutRows(const std::uint8_t* rows, std::size_t stride, int count);
    // Every row given: writes what is buffered and closes the file.
    bool Finish();
    std::string GetError() const;

private:
    RasterFileWriter(Kind kind, int fd, int width, int height);
    bool WriteAt(const std::uint8_t* data, std::size_t size, std::uint64_t offset);
    bool Fail();

    Kind m_kind;
    int m_fd;
    int m_width;
    int m_height;
    int m_nextRow = 0;
    std::uint64_t m_end = 0; // where a PCX's next bytes go
    std::vector<std::uint8_t> m_out;
    std::vector<std::uint8_t> m_line;
    std::string m_error;
    // The rows come from the image library's own thread, whose locks the thread checker does
    // not see; this makes the hand-over to the thread that finishes the file plain to it.
    mutable std::mutex m_mutex;
};
