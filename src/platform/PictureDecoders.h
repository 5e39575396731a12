#pragma once
// Still pictures from files, each format through its own decoder: JPEG with
// libjpeg, PNG with libpng, BMP and icons with Qt's readers, enhanced
// metafiles through libemf2svg and Qt Svg, plain metafiles through libwmf and
// Qt Svg. A decoder returns false with a reason in error for a file it cannot
// read; a damaged file never crashes it. Qt-based decoders (BMP, ICO, EMF,
// WMF) need a QGuiApplication.
//
// A decoded picture is a 32-bit bitmap at the picture's natural size whose
// fourth byte is the coverage (255 opaque, 0 transparent). Metafiles are
// sized from their frame at 96 dots per inch.

#include "platform/Bitmap.h"

#include <string>

bool LoadJPEGFile(const std::string& path, TBitmap& picture, std::string& error);
bool LoadPNGFile(const std::string& path, TBitmap& picture, std::string& error);
bool LoadBMPFile(const std::string& path, TBitmap& picture, std::string& error);
// The largest image of the icon file.
bool LoadICOFile(const std::string& path, TBitmap& picture, std::string& error);
bool LoadEMFFile(const std::string& path, TBitmap& picture, std::string& error);
bool LoadWMFFile(const std::string& path, TBitmap& picture, std::string& error);

// Chooses the decoder by the file's extension, in any letter case: .jpg,
// .jpeg, .png, .bmp, .ico, .emf, .wmf. Any other extension is an error.
bool LoadPictureFile(const std::string& path, TBitmap& picture, std::string& error);
// True for the extensions LoadPictureFile knows.
bool IsPictureFileName(const std::string& path);

// The picture drawn over a background colour on a 24-bit bitmap of its size
// (partly covered pixels are mixed with the background).
TBitmap FlattenPicture(const TBitmap& picture, TColor background);

// Pictures larger than this many pixels are refused rather than allocated.
constexpr long long MaxPicturePixels = 1LL << 28;
