#include "platform/PngFile.h"

#include "platform/FileBytes.h"

#include <csetjmp>
#include <png.h>

namespace {

struct TPngWriteState {
    std::jmp_buf Jump;
    std::string Message;
    std::vector<std::uint8_t>* Out = nullptr;
};

void PngWriteError(png_structp png, png_const_charp message) {
    auto* state = static_cast<TPngWriteState*>(png_get_error_ptr(png));
    state->Message = message ? message : "";
    std::longjmp(state->Jump, 1);
}

void PngWriteWarning(png_structp, png_const_charp) {}

void PngWriteBytes(png_structp png, png_bytep data, png_size_t length) {
    auto* state = static_cast<TPngWriteState*>(png_get_io_ptr(png));
    state->Out->insert(state->Out->end(), data, data + length);
}

void PngFlush(png_structp) {}

} // namespace

bool EncodePng(const TBitmap& bitmap, std::vector<std::uint8_t>& bytes, std::string& error,
               int transparentIndex) {
    if (bitmap.Empty()) {
        error = "The bitmap is empty.";
        return false;
    }
    const bool indexed = bitmap.PixelFormat() == pf8bit;
    const bool alpha = bitmap.PixelFormat() == pf32bit;
    const int width = bitmap.Width();

    // Every row is prepared before libpng runs, so nothing that owns memory
    // lives across its long jumps except through the volatile pointers below.
    std::vector<std::uint8_t> pixels;
    std::vector<png_bytep> rows(std::size_t(bitmap.Height()));
    if (indexed) {
        for (int y = 0; y < bitmap.Height(); ++y)
            rows[std::size_t(y)] = const_cast<png_bytep>(bitmap.ScanLine(y));
    } else {
        const int channels = alpha ? 4 : 3;
        const std::size_t stride = std::size_t(width) * channels;
        pixels.resize(stride * std::size_t(bitmap.Height()));
        for (int y = 0; y < bitmap.Height(); ++y) {
            const std::uint8_t* in = bitmap.ScanLine(y);
            std::uint8_t* const row = pixels.data() + stride * std::size_t(y);
            std::uint8_t* out = row;
            for (int x = 0; x < width; ++x, in += bitmap.BytesPerPixel(), out += channels) {
                out[0] = in[2]; // the bitmap holds blue, green, red
                out[1] = in[1];
                out[2] = in[0];
                if (alpha) out[3] = in[3];
            }
            rows[std::size_t(y)] = row;
        }
    }
    std::vector<png_color> palette;
    std::vector<png_byte> opacity;
    if (indexed) {
        // All 256 entries, so that no index can point past the table.
        const int count = 256;
        for (int i = 0; i < count; ++i) {
            const TColor c = i < bitmap.PaletteSize() ? bitmap.PaletteColor(i) : 0;
            palette.push_back(
                png_color{png_byte(GetRValue(c)), png_byte(GetGValue(c)), png_byte(GetBValue(c))});
        }
        if (transparentIndex >= 0 && transparentIndex < count) {
            // tRNS lists the entries up to the last one that is not opaque.
            opacity.assign(std::size_t(transparentIndex) + 1, 255);
            opacity[std::size_t(transparentIndex)] = 0;
        }
    }

    TPngWriteState state;
    std::vector<std::uint8_t> result;
    state.Out = &result;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &state, PngWriteError, PngWriteWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info) {
        png_destroy_write_struct(&png, nullptr);
        error = "The PNG writer cannot start.";
        return false;
    }
    if (setjmp(state.Jump)) {
        png_destroy_write_struct(&png, &info);
        error = "The PNG picture cannot be written: " + state.Message;
        return false;
    }
    png_set_write_fn(png, &state, PngWriteBytes, PngFlush);
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(bitmap.Height()), 8,
                 indexed ? PNG_COLOR_TYPE_PALETTE
                 : alpha ? PNG_COLOR_TYPE_RGBA
                         : PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (indexed) {
        png_set_PLTE(png, info, palette.data(), int(palette.size()));
        if (!opacity.empty()) png_set_tRNS(png, info, opacity.data(), int(opacity.size()), nullptr);
    }
    png_write_info(png, info);
    png_write_image(png, rows.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    bytes = std::move(result);
    return true;
}

bool SavePngFile(const TBitmap& bitmap, const std::string& path, std::string& error, int transparentIndex) {
    std::vector<std::uint8_t> bytes;
    return EncodePng(bitmap, bytes, error, transparentIndex) && WriteFileBytes(path, bytes, error);
}
