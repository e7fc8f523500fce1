#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "imaging/PictureFormat.h"

// What kind of failure a picture operation met; the message says it in words.
enum class PictureError : int {
    None = 0,
    Unreadable,    // the file cannot be opened or read: missing, no permission, a folder, a device
    NotAPicture,   // empty, or content that none of our decoders takes
    TooLarge,      // more pixels than the limit, as a source or as the size asked for
    Damaged,       // the header was fine but the pixels could not be decoded
    WriteFailed,   // the output could not be encoded or written
    LibraryFailed, // the image library did not start, or failed on pixels already in memory
    Stopped,       // the work was asked to stop (StopScope) before it ended
};

struct PictureFailure {
    PictureError code = PictureError::None;
    std::string message;
};

struct Rgb888 {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> bytes; // width * 3 bytes per row, no padding
};

// How a picture is encoded beyond its format.
struct EncodeOptions {
    int quality = 75;       // 1..100, for the formats that take one
    bool keepAlpha = false; // formats that hold alpha keep it; off: flattened onto white
    bool lossless = false;  // WebP and JPEG XL; the others ignore it
    // EXIF, XMP, IPTC and the colour profile go to the formats that carry them; off: none.
    bool keepMetadata = false;
    bool stripGps = false; // with keepMetadata: no location in EXIF or XMP
};

// One picture: the only door to the image library. Cheap to copy; an operation
// that changes the picture replaces its internal handle, so copies never see it.
// A picture opened from a file holds only the header until pixels are needed,
// and resampling or thumbnailing it decodes at a reduced size where the format allows.
// No method throws; failures leave the picture invalid (or unchanged) and say why
// in GetErrorCode() and GetError(). Any thread may use its own Picture objects.
class Picture {
public:
    Picture();
    ~Picture();
    Picture(const Picture&);
    Picture& operator=(const Picture&);
    Picture(Picture&&) noexcept;
    Picture& operator=(Picture&&) noexcept;

    // Reads the header of a file. The content chooses the decoder, whatever the
    // name says: a PNG called photo.jpg opens as the PNG it is.
    static Picture Load(const std::string& path);
    static Picture DecodeJpeg(std::span<const std::uint8_t> bytes);
    // The pixels of an encoded file in memory, in any format the library reads from memory
    // (JPEG, PNG, GIF, TIFF, WebP, AVIF, HEIC, JPEG XL), decoded at once.
    static Picture DecodeBytes(std::span<const std::uint8_t> bytes);

    bool IsValid() const;
    int GetWidth() const;
    int GetHeight() const;
    // The depth the file stores: 1, 4, 8 for palette or grey, 24 colour, 32 with alpha.
    int GetBpp() const;
    // Why the last operation failed: the kind, and the words to show.
    PictureError GetErrorCode() const;
    const std::string& GetError() const;
    // Set when the picture decoded only partly; empty otherwise. A picture still in its
    // file is decoded while it is saved or encoded, and so knows it only after that.
    const std::string& GetWarning() const;
    // What the last save or encoding keeping metadata had to leave out of it; empty otherwise.
    const std::string& GetMetadataWarning() const { return m_metadataWarning; }

    // At least 24 bits per pixel: 8-bit sRGB, three bands, alpha flattened onto white.
    void IncreaseBpp24();
    // Bicubic resampling to exactly width x height.
    bool Resample2(int width, int height);
    // The same, but nothing is decoded now: a picture still in its file is resampled while it
    // is saved or encoded, decoding, resampling and encoding at once. Damage shows only then.
    bool ResampleLazily(int width, int height);
    // The picture fitted inside width x height (never enlarged), centred on white.
    bool Thumbnail(int width, int height);
    // Decodes every pixel now, so later work does not decode again.
    bool Realize();

    // JPEG bytes at the quality (clamped to 1..100); empty on failure.
    std::vector<std::uint8_t> EncodeJpeg(int quality) const;
    // The same with the options' quality and metadata; alpha is always flattened.
    std::vector<std::uint8_t> EncodeJpeg(const EncodeOptions& options) const;
    // Writes the file in the format; formats without an encoder of their own write JPEG.
    // GIF gets an 8-bit error-diffused palette, the others 24 bits. A picture still in its
    // file goes from the decoder to the file a band of rows at a time, with no whole copy
    // (GIF's palette needs every pixel; PNG looks at a picture up to a 4K screen whole, unless
    // it comes from a colour JPEG, to choose its encoding). PNG is always lossless: a palette
    // only of the picture's own colours.
    bool Save(const std::string& path, PictureFormat format, int quality = 75) const;
    // The file's bytes in the format, in memory: exactly what Save writes. Empty on failure, with
    // GetError() saying why (a format whose encoder this system lacks is named).
    std::vector<std::uint8_t> Encode(PictureFormat format, const EncodeOptions& options) const;
    bool Save(const std::string& path, PictureFormat format, const EncodeOptions& options) const;
    // 8-bit RGB pixels (alpha flattened onto white); empty when not valid.
    Rgb888 ToRgb888() const;

    // Pictures with more pixels than this are refused before they are decoded.
    static void SetPixelLimit(std::uint64_t pixels);
    static std::uint64_t GetPixelLimit();
    static constexpr std::uint64_t DefaultPixelLimit = 16383ull * 16383ull;

    struct Impl;

private:
    explicit Picture(std::shared_ptr<const Impl> impl);
    bool Fail(PictureError code, std::string message) const;

    std::shared_ptr<const Impl> m_impl;
    mutable PictureFailure m_failure;
    mutable std::string m_writeWarning; // a damaged file found while saving or encoding it
    mutable std::string m_metadataWarning;
};

// While it lives, picture work on this thread stops early once `stop` turns true: a decode in
// progress ends soon after (it fails with PictureError::Stopped) and an encoding does not begin.
// For work whose result is no longer wanted, such as the preview of a picture no longer selected.
// Scopes nest; the innermost one counts. `stop` must outlive the scope.
class StopScope {
public:
    explicit StopScope(const std::atomic<bool>& stop);
    ~StopScope();
    StopScope(const StopScope&) = delete;
    StopScope& operator=(const StopScope&) = delete;
    // True when the work on this thread has been asked to stop.
    static bool Requested();

private:
    const std::atomic<bool>* m_previous;
};

// Once per process, before any picture work; safe to call more than once.
bool InitImageLibrary();

// The processor's cores, at least 1.
int CoreCount();

// While it lives, the library's threads for each picture are the cores shared out
// among `pictures` pictures in flight, so together they do not oversubscribe the
// machine. Not nested: one per run.
class LibraryThreads {
public:
    explicit LibraryThreads(int pictures);
    ~LibraryThreads();
    LibraryThreads(const LibraryThreads&) = delete;
    LibraryThreads& operator=(const LibraryThreads&) = delete;

private:
    int m_before = 0;
};
