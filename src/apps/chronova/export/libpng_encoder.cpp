#include "apps/chronova/export/png_encoder.h"

#include <png.h>

#include <csetjmp>
#include <cstring>
#include <new>

#include "platform/automation_error.h"

namespace chronova::cli::exporting {

namespace {

// Up to this zlib level, unfiltered rows: adaptive filtering costs more time than the fast levels save.
constexpr int kHighestUnfilteredLevel = 3;

// What libpng's callbacks report back, kept free of C++ objects that need destroying because libpng leaves its
// functions by longjmp.
struct Session {
    std::string* out = nullptr;
    char message[256] = {};
};

void AppendOutput(png_structp png, png_bytep data, png_size_t length) {
    auto* session = static_cast<Session*>(png_get_io_ptr(png));
    bool appended = true;
    try {
        session->out->append(reinterpret_cast<const char*>(data), length);
    } catch (const std::bad_alloc&) {
        appended = false;
    }
    if (!appended) {
        png_error(png, "out of memory");
    }
}

void NoFlush(png_structp) {}

void KeepMessage(png_structp png, png_const_charp message) {
    auto* session = static_cast<Session*>(png_get_error_ptr(png));
    std::strncpy(session->message, message != nullptr ? message : "unknown error", sizeof session->message - 1);
    png_longjmp(png, 1);
}

void IgnoreWarning(png_structp, png_const_charp) {}

bool IsOpaque(const QImage& image) {
    if (!image.hasAlphaChannel()) {
        return true;
    }
    const QImage argb = image.format() == QImage::Format_ARGB32 || image.format() == QImage::Format_ARGB32_Premultiplied
                            ? image
                            : image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < argb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x) {
            if (qAlpha(line[x]) != 255) {
                return false;
            }
        }
    }
    return true;
}

// Runs libpng on rows of 32-bit pixels as QImage keeps them (0xAARRGGBB in native byte order). Returns false with
// the session's message on an error.
bool Encode(const QImage& pixels, bool opaque, int compression, Session& session) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &session, KeepMessage, IgnoreWarning);
    if (png == nullptr) {
        std::strcpy(session.message, "out of memory");
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (info == nullptr) {
        png_destroy_write_struct(&png, nullptr);
        std::strcpy(session.message, "out of memory");
        return false;
    }
    if (setjmp(png_jmpbuf(png)) != 0) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, &session, AppendOutput, NoFlush);
    png_set_compression_level(png, compression);
    if (compression <= kHighestUnfilteredLevel) {
        png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    }
    png_set_IHDR(png, info, static_cast<png_uint_32>(pixels.width()), static_cast<png_uint_32>(pixels.height()), 8,
                 opaque ? PNG_COLOR_TYPE_RGB : PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    // libpng reorders the native pixel bytes itself, and drops the alpha byte of opaque images.
    if constexpr (Q_BYTE_ORDER == Q_LITTLE_ENDIAN) {
        png_set_bgr(png); // B, G, R, A in memory
        if (opaque) {
            png_set_filler(png, 0, PNG_FILLER_AFTER);
        }
    } else if (opaque) {
        png_set_filler(png, 0, PNG_FILLER_BEFORE); // A, R, G, B in memory
    } else {
        png_set_swap_alpha(png);
    }
    for (int y = 0; y < pixels.height(); ++y) {
        png_write_row(png, pixels.constScanLine(y));
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

} // namespace

std::string EncodePngWithLibpng(const QImage& image, int compression) {
    if (image.isNull()) {
        platform::RaiseError(platform::error::kInvalidProcedureCall, "An empty image cannot be written as PNG.");
    }
    if (compression < 0 || compression > 9) {
        platform::RaiseError(platform::error::kInvalidProcedureCall,
                             "The PNG compression level " + std::to_string(compression) + " is not between 0 and 9.");
    }
    const bool opaque = IsOpaque(image);
    // Opaque 32-bit images are written as they are; others are brought to straight (not premultiplied) alpha.
    const bool usable = image.format() == QImage::Format_RGB32 ||
                        (opaque && (image.format() == QImage::Format_ARGB32 ||
                                    image.format() == QImage::Format_ARGB32_Premultiplied)) ||
                        (!opaque && image.format() == QImage::Format_ARGB32);
    const QImage pixels = usable ? image : image.convertToFormat(opaque ? QImage::Format_RGB32 : QImage::Format_ARGB32);

    std::string out;
    out.reserve(static_cast<size_t>(pixels.sizeInBytes() / 4));
    Session session;
    session.out = &out;
    if (!Encode(pixels, opaque, compression, session)) {
        platform::RaiseError(platform::error::kInternalError,
                             std::string("The image cannot be encoded as PNG: ") + session.message + ".");
    }
    return out;
}

} // namespace chronova::cli::exporting
