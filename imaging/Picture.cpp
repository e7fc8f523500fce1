// Decoding and changing a picture: the pixels from a file or JPEG bytes, raised to
// 24 bits, resampled or made into a thumbnail.
#include "imaging/Picture.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "imaging/PictureImpl.h"

using namespace picture_impl;

namespace {

std::string CleanMessage(const char* what)
{
    std::string s = what ? what : "";
    while (!s.empty() && (s.back() == '\n' || s.back() == ' '))
        s.pop_back();
    for (char& c : s)
        if (c == '\n')
            c = ' ';
    return s.empty() ? "the picture could not be processed" : s;
}

VImage ResizeExact(VImage img, int width, int height)
{
    if (img.width() == width && img.height() == height)
        return img;
    const double h = double(width) / img.width(), v = double(height) / img.height();
    // Alpha kept: resampled premultiplied, so transparent pixels lend no colour to the edges.
    const bool alpha = img.has_alpha();
    if (alpha)
        img = img.premultiply();
    img = img.resize(h, VImage::option()->set("vscale", v)->set("kernel", VIPS_KERNEL_CUBIC));
    if (alpha)
        img = img.unpremultiply().cast(VIPS_FORMAT_UCHAR);
    // Guard against the library rounding a dimension the other way.
    if (img.width() != width || img.height() != height)
        img = img.embed(0, 0, width, height, VImage::option()->set("extend", VIPS_EXTEND_COPY));
    return img;
}

void FitInside(int w, int h, int boxW, int boxH, int& outW, int& outH)
{
    if (w <= boxW && h <= boxH) {
        outW = w;
        outH = h;
        return;
    }
    const double r = std::min(double(boxW) / w, double(boxH) / h);
    outW = std::clamp(static_cast<int>(std::lround(w * r)), 1, boxW);
    outH = std::clamp(static_cast<int>(std::lround(h * r)), 1, boxH);
}

} // namespace

namespace picture_impl {

namespace {

thread_local const std::atomic<bool>* t_stop = nullptr;

// Called as the computation goes; a killed image ends it with an error.
void OnEval(VipsImage* image, VipsProgress*, void* stop)
{
    if (static_cast<const std::atomic<bool>*>(stop)->load())
        vips_image_set_kill(image, TRUE);
}

} // namespace

VImage ComputeInMemory(VImage in)
{
    const std::atomic<bool>* stop = t_stop;
    if (!stop)
        return in.copy_memory();
    if (stop->load())
        throw vips::VError(kStopped);
    // Watched on an image of its own, so the flag reaches no other computation.
    VipsImage* target = vips_image_new_memory();
    vips_image_set_progress(target, TRUE);
    const gulong handler = g_signal_connect(target, "eval", G_CALLBACK(OnEval), const_cast<std::atomic<bool>*>(stop));
    const int failed = vips_image_write(in.get_image(), target);
    g_signal_handler_disconnect(target, handler);
    vips_image_set_progress(target, FALSE);
    if (failed) {
        g_object_unref(target);
        throw vips::VError();
    }
    return VImage(target);
}

StopWatch::StopWatch(VImage& image)
{
    const std::atomic<bool>* stop = t_stop;
    if (!stop)
        return;
    // A node of its own, so the flag reaches no other computation.
    image = image.copy();
    m_image = image.get_image();
    g_object_ref(m_image);
    vips_image_set_progress(m_image, TRUE);
    m_handler = g_signal_connect(m_image, "eval", G_CALLBACK(OnEval), const_cast<std::atomic<bool>*>(stop));
}

StopWatch::~StopWatch()
{
    if (!m_image)
        return;
    g_signal_handler_disconnect(m_image, m_handler);
    vips_image_set_progress(m_image, FALSE);
    g_object_unref(m_image);
}

bool LibraryErrorPending()
{
    // A copy taken under the library's lock: its worker threads may be writing.
    char* text = vips_error_buffer_copy();
    const bool pending = text && *text;
    g_free(text);
    return pending;
}

std::string TakeVipsError(const vips::VError& e)
{
    std::string s = CleanMessage(e.what());
    ClearLibraryErrors();
    return s;
}

// An ICC profile's header: its signature, and no more bytes declared than there are. Bytes that are no
// profile never reach the library, whose complaint would read as damage to the strict decoder.
bool LooksLikeIcc(const void* data, std::size_t size)
{
    const auto* p = static_cast<const std::uint8_t*>(data);
    if (!p || size < 132 || std::memcmp(p + 36, "acsp", 4) != 0)
        return false;
    const std::uint32_t declared
        = std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
    return declared >= 132 && declared <= size;
}

VImage ToSrgb(VImage img)
{
    // A profile that cannot be read or does not fit the pixels: the numbers are shown as they are, and
    // an output that keeps metadata is told the profile was not used.
    const auto unusable = [](VImage in) {
        in = in.copy();
        in.remove("icc-profile-data");
        in.set(kIccDamaged, 1);
        return in;
    };
    if (img.get_typeof("icc-profile-data") != 0) {
        std::size_t size = 0;
        const void* profile = img.get_blob("icc-profile-data", &size);
        if (!LooksLikeIcc(profile, size) || !vips_icc_is_compatible_profile(img.get_image(), profile, size)) {
            img = unusable(img);
        } else {
            try {
                img = img.icc_transform(
                    "srgb", VImage::option()->set("embedded", true)->set("intent", VIPS_INTENT_PERCEPTUAL));
            } catch (const vips::VError&) {
                ClearLibraryErrors();
                img = unusable(img);
            }
        }
    }
    if (img.interpretation() != VIPS_INTERPRETATION_sRGB || img.format() != VIPS_FORMAT_UCHAR)
        img = img.colourspace(VIPS_INTERPRETATION_sRGB);
    if (img.format() != VIPS_FORMAT_UCHAR)
        img = img.cast(VIPS_FORMAT_UCHAR);
    if (img.bands() > 4)
        img = img.extract_band(0, VImage::option()->set("n", 4));
    return img;
}

VImage Flatten(VImage img)
{
    if (img.has_alpha())
        img = img.flatten(VImage::option()->set("background", std::vector<double> { 255, 255, 255 }));
    if (img.bands() > 3)
        img = img.extract_band(0, VImage::option()->set("n", 3));
    if (img.format() != VIPS_FORMAT_UCHAR)
        img = img.cast(VIPS_FORMAT_UCHAR);
    return img;
}

} // namespace picture_impl

VImage Picture::Impl::Open(VipsFailOn failOn, int shrink, bool sequential) const
{
    if (resampled) {
        VImage img = resampled(failOn, sequential);
        return flatten ? Flatten(img) : img;
    }
    auto opt = VImage::option()->set("fail_on", failOn);
    if (shrink > 1)
        opt->set("shrink", shrink);
    // Orientations 1 and 2 keep the rows in order; the others turn or flip the picture upside down.
    int orientation = 1;
    if (image.get_typeof(VIPS_META_ORIENTATION) != 0)
        orientation = image.get_int(VIPS_META_ORIENTATION);
    if (sequential && orientation <= 2)
        opt->set("access", VIPS_ACCESS_SEQUENTIAL);
    VImage img = OpenExact(path, loader, opt);
    img = ToSrgb(img.autorot());
    return flatten ? Flatten(img) : img;
}

int Picture::Impl::ShrinkFor(int targetW, int targetH) const
{
    if (loader != "jpegload" || resampled)
        return 1;
    for (int s : { 8, 4, 2 })
        if (width / s >= targetW && height / s >= targetH)
            return s;
    return 1;
}

StopScope::StopScope(const std::atomic<bool>& stop)
    : m_previous(t_stop)
{
    t_stop = &stop;
}

StopScope::~StopScope() { t_stop = m_previous; }

bool StopScope::Requested() { return t_stop && t_stop->load(); }

Picture::Picture() = default;
Picture::~Picture() = default;
Picture::Picture(const Picture&) = default;
Picture& Picture::operator=(const Picture&) = default;
Picture::Picture(Picture&&) noexcept = default;
Picture& Picture::operator=(Picture&&) noexcept = default;
Picture::Picture(std::shared_ptr<const Impl> impl)
    : m_impl(std::move(impl))
{
}

bool Picture::Fail(PictureError code, std::string message) const
{
    m_failure = { code, std::move(message) };
    return false;
}

bool Picture::IsValid() const { return m_impl != nullptr; }
int Picture::GetWidth() const { return m_impl ? m_impl->width : 0; }
int Picture::GetHeight() const { return m_impl ? m_impl->height : 0; }
int Picture::GetBpp() const { return m_impl ? m_impl->bpp : 0; }
PictureError Picture::GetErrorCode() const { return m_failure.code; }
const std::string& Picture::GetError() const { return m_failure.message; }
const std::string& Picture::GetWarning() const
{
    static const std::string none;
    if (!m_impl)
        return none;
    return m_impl->warning.empty() ? m_writeWarning : m_impl->warning;
}

Picture Picture::DecodeJpeg(std::span<const std::uint8_t> bytes) { return DecodeBytes(bytes); }

Picture Picture::DecodeBytes(std::span<const std::uint8_t> bytes)
{
    LibraryUse use;
    Picture result;
    if (!InitImageLibrary() || bytes.empty()) {
        result.Fail(PictureError::NotAPicture, "not a picture: no data");
        return result;
    }
    auto impl = std::make_shared<Impl>();
    bool overLimit = false;
    int w = 0, h = 0;
    auto build = [&](VipsFailOn failOn) {
        VImage img = VImage::new_from_buffer(bytes.data(), bytes.size(), "", VImage::option()->set("fail_on", failOn));
        w = img.width(), h = img.height();
        overLimit = OverLimit(static_cast<std::uint64_t>(w), static_cast<std::uint64_t>(h));
        if (overLimit)
            throw vips::VError("too large");
        return ToSrgb(img.autorot());
    };
    if (!Materialize(build, impl->image, impl->warning, result.m_failure)) {
        if (overLimit)
            result.m_failure = { PictureError::TooLarge, TooLarge(w, h) };
        return result;
    }
    impl->width = impl->image.width();
    impl->height = impl->image.height();
    impl->bpp = impl->image.bands() == 1 ? 8 : 24;
    result.m_impl = std::move(impl);
    return result;
}

void Picture::IncreaseBpp24()
{
    LibraryUse use;
    if (!m_impl || (m_impl->flatten && m_impl->bpp == 24))
        return;
    auto impl = std::make_shared<Impl>(*m_impl);
    impl->flatten = true;
    impl->bpp = 24;
    if (!impl->fromFile) {
        try {
            impl->image = Flatten(impl->image).copy_memory();
        } catch (const vips::VError& e) {
            Fail(PictureError::LibraryFailed, TakeVipsError(e));
            return;
        }
    }
    m_impl = std::move(impl);
}

bool Picture::Realize()
{
    LibraryUse use;
    if (!m_impl)
        return false;
    if (!m_impl->fromFile)
        return true;
    auto impl = std::make_shared<Impl>(*m_impl);
    impl->fromFile = false;
    if (!Materialize([&](VipsFailOn f) { return m_impl->Open(f, 1); }, impl->image, impl->warning, m_failure))
        return false;
    m_impl = std::move(impl);
    return true;
}

bool Picture::Resample2(int width, int height)
{
    LibraryUse use;
    if (!m_impl || width < 1 || height < 1)
        return false;
    if (OverLimit(static_cast<std::uint64_t>(width), static_cast<std::uint64_t>(height)))
        return Fail(PictureError::TooLarge, TooLarge(width, height));
    auto impl = std::make_shared<Impl>(*m_impl);
    impl->fromFile = false;
    const Impl& src = *m_impl;
    auto build = [&](VipsFailOn f) {
        VImage img = src.fromFile ? src.Open(f, src.ShrinkFor(width, height)) : src.image;
        return ResizeExact(img, width, height);
    };
    if (!Materialize(build, impl->image, impl->warning, m_failure))
        return false;
    impl->width = width;
    impl->height = height;
    m_impl = std::move(impl);
    return true;
}

bool Picture::ResampleLazily(int width, int height)
{
    LibraryUse use;
    if (!m_impl || width < 1 || height < 1)
        return false;
    if (!m_impl->fromFile)
        return Resample2(width, height);
    if (OverLimit(static_cast<std::uint64_t>(width), static_cast<std::uint64_t>(height)))
        return Fail(PictureError::TooLarge, TooLarge(width, height));
    auto impl = std::make_shared<Impl>(*m_impl);
    impl->resampled = [src = m_impl, width, height](VipsFailOn f, bool sequential) {
        return ResizeExact(src->Open(f, src->ShrinkFor(width, height), sequential), width, height);
    };
    impl->width = width;
    impl->height = height;
    m_impl = std::move(impl);
    return true;
}

bool Picture::Thumbnail(int width, int height)
{
    LibraryUse use;
    if (!m_impl || width < 1 || height < 1)
        return false;
    int fitW = 0, fitH = 0;
    FitInside(m_impl->width, m_impl->height, width, height, fitW, fitH);
    auto impl = std::make_shared<Impl>(*m_impl);
    impl->fromFile = false;
    impl->flatten = true;
    const Impl& src = *m_impl;
    auto build = [&](VipsFailOn f) {
        VImage img = src.fromFile ? src.Open(f, src.ShrinkFor(fitW, fitH)) : src.image;
        img = ResizeExact(Flatten(img), fitW, fitH);
        return img.embed((width - fitW) / 2, (height - fitH) / 2, width, height,
            VImage::option()
                ->set("extend", VIPS_EXTEND_BACKGROUND)
                ->set("background", std::vector<double> { 255, 255, 255 }));
    };
    if (!Materialize(build, impl->image, impl->warning, m_failure))
        return false;
    impl->width = width;
    impl->height = height;
    impl->bpp = 24;
    m_impl = std::move(impl);
    return true;
}
