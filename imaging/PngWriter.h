#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// PNG files written with libpng itself: the image library's writer does not let us choose the
// deflate strategy, and Huffman coding alone is what makes filtered photographs both small and
// quick to write. Always lossless: 8-bit RGB or RGBA, or an indexed picture's own exact colours.

// How the rows are filtered and deflated.
struct PngEncoding {
    int filters;  // libpng's PNG_FILTER_* flags
    int level;    // zlib level
    int strategy; // zlib strategy: Z_DEFAULT_STRATEGY, Z_FILTERED, Z_HUFFMAN_ONLY...
};

// What a PNG keeps of the picture's metadata, each written in its own chunk before the pixels:
// eXIf (the block without its "Exif\0\0" header), iCCP and an iTXt "XML:com.adobe.xmp". Empty: none.
struct PngMetadata {
    std::vector<std::uint8_t> exif;
    std::vector<std::uint8_t> icc;
    std::string xmp;
};

// Writes an 8-bit RGB (3 bands) or RGBA (4) PNG as the rows come, top to bottom, to a file or,
// with an empty path, into memory (Bytes()).
class PngRowWriter {
public:
    // Null when the file cannot be created, with error saying why in plain words.
    static std::unique_ptr<PngRowWriter> Create(const std::string& path, int width, int height, int bands,
        const PngEncoding& encoding, std::string& error, const PngMetadata& metadata = {});
    ~PngRowWriter();
    PngRowWriter(const PngRowWriter&) = delete;
    PngRowWriter& operator=(const PngRowWriter&) = delete;

    // The next `count` rows, `stride` bytes from one row's start to the next. False once anything failed.
    bool PutRows(const std::uint8_t* rows, std::size_t stride, int count);
    // Every row given: ends the file and closes it.
    bool Finish();
    std::string GetError() const;
    // The file's bytes when written into memory.
    std::vector<std::uint8_t>& Bytes() { return m_out; }

    struct Png; // libpng's state

private:
    PngRowWriter() = default;
    bool Flush();

    std::unique_ptr<Png> m_png;
    int m_fd = -1;
    int m_height = 0;
    int m_nextRow = 0;
    std::vector<std::uint8_t> m_out; // waiting for the file, or all of it in memory
    std::string m_error;
    // The rows come from the image library's own thread, whose locks the thread checker does
    // not see; this makes the hand-over to the thread that finishes the file plain to it.
    mutable std::mutex m_mutex;
};
