#include "platform/PictureDecoders.h"

#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QSvgRenderer>
#include <algorithm>
#include <cctype>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include <jpeglib.h>
#include <png.h>

extern "C" {
#include <emf2svg.h>
}
#include <libwmf/api.h>
#include <libwmf/svg.h>

namespace {

bool Fail(std::string& error, const std::string& reason) {
    error = reason;
    return false;
}

bool SizeAcceptable(long long width, long long height, std::string& error) {
    if (width <= 0 || height <= 0) return Fail(error, "The picture has no pixels.");
    if (width * height > MaxPicturePixels) return Fail(error, "The picture is too large.");
    return true;
}

bool ReadWholeFile(const std::string& path, QByteArray& bytes, std::string& error) {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) return Fail(error, "The file cannot be opened.");
    bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) return Fail(error, "The file cannot be read.");
    return true;
}

// A QImage into a 32-bit picture with straight (not premultiplied) coverage.
bool FromQImage(const QImage& image, TBitmap& picture, std::string& error) {
    if (image.isNull()) return Fail(error, "The picture cannot be decoded.");
    if (!SizeAcceptable(image.width(), image.height(), error)) return false;
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    TBitmap result(argb.width(), argb.height(), pf32bit);
    for (int y = 0; y < argb.height(); ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        std::uint8_t* out = result.ScanLine(y);
        for (int x = 0; x < argb.width(); ++x, out += 4) {
            out[0] = std::uint8_t(qBlue(row[x]));
            out[1] = std::uint8_t(qGreen(row[x]));
            out[2] = std::uint8_t(qRed(row[x]));
            out[3] = std::uint8_t(qAlpha(row[x]));
        }
    }
    picture = std::move(result);
    return true;
}

bool RenderSvg(const QByteArray& svg, int width, int height, TBitmap& picture, std::string& error) {
    QSvgRenderer renderer(svg);
    if (!renderer.isValid()) return Fail(error, "The metafile cannot be drawn.");
    if (!SizeAcceptable(width, height, error)) return false;
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        renderer.render(&painter, QRectF(0, 0, width, height));
    }
    return FromQImage(image, picture, error);
}

std::string UpperExtension(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    const std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
    std::string ext = path.substr(dot);
    for (char& c : ext) c = char(std::toupper(static_cast<unsigned char>(c)));
    return ext;
}

// ---- JPEG ----

struct TJpegError {
    jpeg_error_mgr Manager;
    std::jmp_buf Jump;
    char Message[JMSG_LENGTH_MAX];
};

void JpegErrorExit(j_common_ptr info) {
    TJpegError* e = reinterpret_cast<TJpegError*>(info->err);
    (*info->err->format_message)(info, e->Message);
    std::longjmp(e->Jump, 1);
}

void JpegSilence(j_common_ptr, int) {}

// ---- PNG ----

struct TPngError {
    std::jmp_buf Jump;
    std::string Message;
};

void PngError(png_structp png, png_const_charp message) {
    TPngError* e = static_cast<TPngError*>(png_get_error_ptr(png));
    e->Message = message ? message : "";
    std::longjmp(e->Jump, 1);
}

void PngWarning(png_structp, png_const_charp) {}

// ---- metafiles ----

std::uint32_t Le32(const QByteArray& b, int offset) {
    const auto* p = reinterpret_cast<const unsigned char*>(b.constData()) + offset;
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}

} // namespace

bool LoadJPEGFile(const std::string& path, TBitmap& picture, std::string& error) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return Fail(error, "The file cannot be opened.");
    jpeg_decompress_struct info;
    TJpegError jerr;
    info.err = jpeg_std_error(&jerr.Manager);
    jerr.Manager.error_exit = JpegErrorExit;
    jerr.Manager.emit_message = JpegSilence;
    // Everything the decoder touches after a long jump lives outside this frame's registers.
    std::vector<std::uint8_t>* volatile line = new std::vector<std::uint8_t>();
    std::unique_ptr<std::vector<std::uint8_t>> lineOwner(line);
    TBitmap* volatile result = new TBitmap();
    std::unique_ptr<TBitmap> resultOwner(result);
    if (setjmp(jerr.Jump)) {
        jpeg_destroy_decompress(&info);
        std::fclose(file);
        return Fail(error, std::string("The JPEG picture cannot be decoded: ") + jerr.Message);
    }
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, file);
    jpeg_read_header(&info, TRUE);
    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    info.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    jpeg_start_decompress(&info);
    if (!SizeAcceptable(info.output_width, info.output_height, error)) {
        jpeg_destroy_decompress(&info);
        std::fclose(file);
        return false;
    }
    *result = TBitmap(int(info.output_width), int(info.output_height), pf32bit);
    line->resize(std::size_t(info.output_width) * info.output_components);
    while (info.output_scanline < info.output_height) {
        const int y = int(info.output_scanline);
        JSAMPROW row = line->data();
        jpeg_read_scanlines(&info, &row, 1);
        std::uint8_t* out = result->ScanLine(y);
        const std::uint8_t* in = line->data();
        for (unsigned x = 0; x < info.output_width; ++x, out += 4) {
            if (cmyk) {
                // Adobe writes CMYK inverted: each value is already 255 - ink.
                const int k = in[3];
                out[2] = std::uint8_t(in[0] * k / 255);
                out[1] = std::uint8_t(in[1] * k / 255);
                out[0] = std::uint8_t(in[2] * k / 255);
                in += 4;
            } else {
                out[2] = in[0];
                out[1] = in[1];
                out[0] = in[2];
                in += 3;
            }
            out[3] = 255;
        }
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    std::fclose(file);
    picture = std::move(*result);
    return true;
}

bool LoadPNGFile(const std::string& path, TBitmap& picture, std::string& error) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return Fail(error, "The file cannot be opened.");
    unsigned char signature[8] = {};
    if (std::fread(signature, 1, 8, file) != 8 || png_sig_cmp(signature, 0, 8) != 0) {
        std::fclose(file);
        return Fail(error, "The file is not a PNG picture.");
    }
    TPngError perr;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &perr, PngError, PngWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        std::fclose(file);
        return Fail(error, "Out of memory.");
    }
    TBitmap* volatile result = new TBitmap();
    std::unique_ptr<TBitmap> resultOwner(result);
    std::vector<png_bytep>* volatile rows = new std::vector<png_bytep>();
    std::unique_ptr<std::vector<png_bytep>> rowsOwner(rows);
    if (setjmp(perr.Jump)) {
        png_destroy_read_struct(&png, &info, nullptr);
        std::fclose(file);
        return Fail(error, "The PNG picture cannot be decoded: " + perr.Message);
    }
    png_init_io(png, file);
    png_set_sig_bytes(png, 8);
    png_set_user_limits(png, 0x7FFFFFFF, 0x7FFFFFFF);
    png_read_info(png, info);
    const png_uint_32 width = png_get_image_width(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    if (!SizeAcceptable(width, height, error)) {
        png_destroy_read_struct(&png, &info, nullptr);
        std::fclose(file);
        return false;
    }
    const int colourType = png_get_color_type(png, info);
    png_set_expand(png);
    png_set_strip_16(png);
    if (colourType == PNG_COLOR_TYPE_GRAY || colourType == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb(png);
    png_set_bgr(png);
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != std::size_t(width) * 4)
        png_error(png, "unexpected row layout"); // jumps back above
    *result = TBitmap(int(width), int(height), pf32bit);
    rows->resize(height);
    for (png_uint_32 y = 0; y < height; ++y) (*rows)[y] = result->ScanLine(int(y));
    png_read_image(png, rows->data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(file);
    picture = std::move(*result);
    return true;
}

bool LoadBMPFile(const std::string& path, TBitmap& picture, std::string& error) {
    QImageReader reader(QString::fromStdString(path), "bmp");
    reader.setDecideFormatFromContent(false);
    const QSize size = reader.size();
    if (size.isValid() && !SizeAcceptable(size.width(), size.height(), error)) return false;
    const QImage image = reader.read();
    if (image.isNull())
        return Fail(error, "The bitmap cannot be decoded: " + reader.errorString().toStdString());
    return FromQImage(image, picture, error);
}

bool LoadICOFile(const std::string& path, TBitmap& picture, std::string& error) {
    QImageReader reader(QString::fromStdString(path), "ico");
    reader.setDecideFormatFromContent(false);
    QImage best;
    const int count = std::max(1, reader.imageCount());
    for (int i = 0; i < count && i < 256; ++i) {
        if (i > 0 && !reader.jumpToImage(i)) break;
        const QImage image = reader.read();
        if (image.isNull()) continue;
        if (best.isNull() || image.width() * image.height() > best.width() * best.height()) best = image;
    }
    if (best.isNull())
        return Fail(error, "The icon cannot be decoded: " + reader.errorString().toStdString());
    return FromQImage(best, picture, error);
}

bool LoadEMFFile(const std::string& path, TBitmap& picture, std::string& error) {
    QByteArray bytes;
    if (!ReadWholeFile(path, bytes, error)) return false;
    // The header record: type 1, its size, bounds, frame (0.01 mm), " EMF" at 40.
    if (bytes.size() < 88 || Le32(bytes, 0) != 1 || Le32(bytes, 40) != 0x464D4520)
        return Fail(error, "The file is not an enhanced metafile.");
    const auto frameLeft = std::int32_t(Le32(bytes, 24)), frameTop = std::int32_t(Le32(bytes, 28));
    const auto frameRight = std::int32_t(Le32(bytes, 32)), frameBottom = std::int32_t(Le32(bytes, 36));
    const long long width = ((long long)frameRight - frameLeft) * 96 / 2540 + 1;
    const long long height = ((long long)frameBottom - frameTop) * 96 / 2540 + 1;
    if (!SizeAcceptable(width, height, error)) return false;
    char nameSpace[] = "";
    generatorOptions options{};
    options.nameSpace = nameSpace;
    options.verbose = false;
    options.emfplus = true;
    options.svgDelimiter = true;
    options.imgWidth = double(width);
    options.imgHeight = double(height);
    char* svg = nullptr;
    std::size_t svgLength = 0;
    const int ok = emf2svg(bytes.data(), std::size_t(bytes.size()), &svg, &svgLength, &options);
    std::unique_ptr<char, decltype(&std::free)> svgOwner(svg, &std::free);
    if (!ok || !svg) return Fail(error, "The enhanced metafile cannot be decoded.");
    return RenderSvg(QByteArray(svg, qsizetype(svgLength)), int(width), int(height), picture, error);
}

bool LoadWMFFile(const std::string& path, TBitmap& picture, std::string& error) {
    QByteArray bytes;
    if (!ReadWholeFile(path, bytes, error)) return false;
    if (bytes.size() < 18) return Fail(error, "The file is not a metafile.");
    wmfAPI_Options options{};
    options.function = wmf_svg_function;
    const unsigned long flags =
        WMF_OPT_FUNCTION | WMF_OPT_IGNORE_NONFATAL | WMF_OPT_NO_ERROR | WMF_OPT_NO_DEBUG;
    wmfAPI* api = nullptr;
    if (wmf_api_create(&api, flags, &options) != wmf_E_None) {
        if (api) wmf_api_destroy(api);
        return Fail(error, "The metafile reader cannot start.");
    }
    struct TApiCloser {
        wmfAPI* Api;
        ~TApiCloser() { wmf_api_destroy(Api); }
    } closer{api};
    if (wmf_mem_open(api, reinterpret_cast<unsigned char*>(bytes.data()), long(bytes.size())) != wmf_E_None)
        return Fail(error, "The file is not a metafile.");
    wmfD_Rect bbox{};
    if (wmf_scan(api, 0, &bbox) != wmf_E_None) {
        wmf_mem_close(api);
        return Fail(error, "The metafile cannot be decoded.");
    }
    unsigned int width = 0, height = 0;
    if (wmf_display_size(api, &width, &height, 96, 96) != wmf_E_None ||
        !SizeAcceptable(width, height, error)) {
        wmf_mem_close(api);
        if (error.empty()) error = "The metafile has no size.";
        return false;
    }
    // A placeable metafile states its own frame (in units per inch); the player
    // works in points. Without one, the extent of what is drawn is the picture.
    if (Le32(bytes, 0) == 0x9AC6CDD7u && bytes.size() >= 22) {
        const auto* b = reinterpret_cast<const unsigned char*>(bytes.constData());
        auto i16 = [b](int offset) { return int(std::int16_t(b[offset] | b[offset + 1] << 8)); };
        const int inch = b[14] | b[15] << 8;
        if (inch > 0) {
            bbox.TL.x = float(i16(6) * 72.0 / inch);
            bbox.TL.y = float(i16(8) * 72.0 / inch);
            bbox.BR.x = float(i16(10) * 72.0 / inch);
            bbox.BR.y = float(i16(12) * 72.0 / inch);
            if (bbox.BR.x <= bbox.TL.x || bbox.BR.y <= bbox.TL.y) {
                wmf_mem_close(api);
                return Fail(error, "The metafile has no size.");
            }
        }
    }
    wmf_svg_t* device = WMF_SVG_GetData(api);
    device->out = wmf_stream_create(api, nullptr);
    device->Description = nullptr;
    device->bbox = bbox;
    device->width = width;
    device->height = height;
    const wmf_error_t played = wmf_play(api, 0, &bbox);
    char* svg = nullptr;
    unsigned long svgLength = 0;
    wmf_stream_destroy(api, device->out, &svg, &svgLength);
    wmf_mem_close(api);
    QByteArray document = svg ? QByteArray(svg, qsizetype(svgLength)) : QByteArray();
    if (svg) wmf_free(api, svg);
    if (played != wmf_E_None || document.isEmpty()) return Fail(error, "The metafile cannot be decoded.");
    return RenderSvg(document, int(width), int(height), picture, error);
}

bool IsPictureFileName(const std::string& path) {
    const std::string ext = UpperExtension(path);
    return ext == ".JPG" || ext == ".JPEG" || ext == ".PNG" || ext == ".BMP" || ext == ".ICO" ||
           ext == ".EMF" || ext == ".WMF";
}

bool LoadPictureFile(const std::string& path, TBitmap& picture, std::string& error) {
    const std::string ext = UpperExtension(path);
    if (ext == ".JPG" || ext == ".JPEG") return LoadJPEGFile(path, picture, error);
    if (ext == ".PNG") return LoadPNGFile(path, picture, error);
    if (ext == ".BMP") return LoadBMPFile(path, picture, error);
    if (ext == ".ICO") return LoadICOFile(path, picture, error);
    if (ext == ".EMF") return LoadEMFFile(path, picture, error);
    if (ext == ".WMF") return LoadWMFFile(path, picture, error);
    return Fail(error, "Unknown picture format.");
}

TBitmap FlattenPicture(const TBitmap& picture, TColor background) {
    TBitmap result(picture.Width(), picture.Height(), pf24bit);
    const int br = GetRValue(background), bg = GetGValue(background), bb = GetBValue(background);
    for (int y = 0; y < picture.Height(); ++y) {
        std::uint8_t* out = result.ScanLine(y);
        for (int x = 0; x < picture.Width(); ++x, out += 3) {
            if (picture.PixelFormat() != pf32bit) {
                const TColor c = picture.Pixel(x, y);
                out[0] = std::uint8_t(GetBValue(c));
                out[1] = std::uint8_t(GetGValue(c));
                out[2] = std::uint8_t(GetRValue(c));
                continue;
            }
            const std::uint8_t* in = picture.ScanLine(y) + std::size_t(x) * 4;
            const int a = in[3];
            out[0] = std::uint8_t((in[0] * a + bb * (255 - a) + 127) / 255);
            out[1] = std::uint8_t((in[1] * a + bg * (255 - a) + 127) / 255);
            out[2] = std::uint8_t((in[2] * a + br * (255 - a) + 127) / 255);
        }
    }
    return result;
}
