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

// What libpng is given: the rows, the colour type and the tables of an indexed picture.
struct TPngImage {
    png_uint_32 Width = 0;
    png_uint_32 Height = 0;
    int ColorType = PNG_COLOR_TYPE_RGB;
    png_bytep* Rows = nullptr;
    std::vector<png_color>* Palette = nullptr;
    std::vector<png_byte>* Opacity = nullptr;
};

// Runs libpng over a prepared picture. Nothing here owns memory, so the long
// jump of a libpng error leaves nothing behind; false (state.Message says why)
// after such an error. The structures are destroyed in either case.
bool RunPngWriter(png_structp png, png_infop info, TPngWriteState& state, const TPngImage& image) {
    if (setjmp(state.Jump)) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, &state, PngWriteBytes, PngFlush);
    png_set_IHDR(png, info, image.Width, image.Height, 8, image.ColorType, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (image.ColorType == PNG_COLOR_TYPE_PALETTE) {
        png_set_PLTE(png, info, image.Palette->data(), int(image.Palette->size()));
        if (!image.Opacity->empty())
            png_set_tRNS(png, info, image.Opacity->data(), int(image.Opacity->size()), nullptr);
    }
    png_write_info(png, info);
    png_write_image(png, image.Rows);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

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
    // lives across its long jumps.
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
    const TPngImage image{png_uint_32(width),
                          png_uint_32(bitmap.Height()),
                          indexed ? PNG_COLOR_TYPE_PALETTE
                          : alpha ? PNG_COLOR_TYPE_RGBA
                                  : PNG_COLOR_TYPE_RGB,
                          rows.data(),
                          &palette,
                          &opacity};
    if (!RunPngWriter(png, info, state, image)) {
        error = "The PNG picture cannot be written: " + state.Message;
        return false;
    }
    bytes = std::move(result);
    return true;
}

bool SavePngFile(const TBitmap& bitmap, const std::string& path, std::string& error, int transparentIndex) {
    std::vector<std::uint8_t> bytes;
    return EncodePng(bitmap, bytes, error, transparentIndex) && WriteFileBytes(path, bytes, error);
}
