#include "flash/SWFExport.h"

#include <algorithm>

int ProposedFrameRate(const TGIFData& document) {
    if (document.Frames.empty()) return 0;
    const TGIFImageData& first = *document.Frames.front();
    const int delay = first.Control ? first.Control->DelayTime : 0;
    if (delay == 0) return 10;
    return std::clamp(100 / delay, 1, 999);
}

TBitmap ComposeSWFFrame(const TGIFImageData& frame, int screenWidth, int screenHeight, TColor background) {
    TBitmap screen(screenWidth, screenHeight, pf24bit);
    screen.Fill(background);
    std::unique_ptr<TBitmap> picture = frame.ToBitmap();
    if (!picture) return screen; // no pixels to draw: the background alone

    const bool transparent = frame.Control && frame.Control->Transparent();
    const int transparentIndex = frame.Control ? frame.Control->TransparentIndex : -1;
    // Transparency leaves out every pixel of the transparent colour. A frame
    // without any palette has no such colour; its transparent index decides.
    const TColor key = transparent ? frame.Color(transparentIndex) : NoColor;

    const std::vector<TColor>& palette = picture->Palette();
    const int x0 = std::max(0, -int(frame.Left)), y0 = std::max(0, -int(frame.Top));
    const int x1 = std::min(picture->Width(), screenWidth - int(frame.Left));
    const int y1 = std::min(picture->Height(), screenHeight - int(frame.Top));
    for (int y = y0; y < y1; ++y) {
        const std::uint8_t* src = picture->ScanLine(y);
        std::uint8_t* dst = screen.ScanLine(y + frame.Top);
        for (int x = x0; x < x1; ++x) {
            const std::uint8_t index = src[x];
            const TColor color = index < palette.size() ? palette[index] : RGB(0, 0, 0);
            if (transparent && (key == NoColor ? index == transparentIndex : color == key)) continue;
            std::uint8_t* p = dst + std::size_t(x + frame.Left) * 3;
            p[0] = std::uint8_t(GetBValue(color));
            p[1] = std::uint8_t(GetGValue(color));
            p[2] = std::uint8_t(GetRValue(color));
        }
    }
    return screen;
}

std::unique_ptr<TSWFMovie> BuildSWFMovie(const TGIFData& document, TColor background, int rate) {
    const int w = document.ScreenWidth, h = document.ScreenHeight;
    if (w == 0 || h == 0)
        throw ESWFError("The animation has an empty logical screen (" + std::to_string(w) + " x " +
                        std::to_string(h) + "); there is nothing to show in a movie.");
    // Each frame takes two character ids (its bitmap and its shape) out of the
    // 16-bit id space, and its own depth; past this they would wrap around and
    // later frames would show earlier pictures.
    if (document.Frames.size() > MaxSWFExportFrames)
        throw ESWFError("The animation has " + std::to_string(document.Frames.size()) +
                        " frames; a Flash movie made from it can hold at most " +
                        std::to_string(MaxSWFExportFrames) + ".");
    // A rate typed past the dialog's range reaches us as typed; the file holds 1..255.
    rate = std::clamp(rate, 1, 255);
    auto movie = std::make_unique<TSWFMovie>(0, 0, w, h, rate, true);
    movie->SetCompressed(true);
    movie->SetVersion(6);
    movie->Protect = false;

    TSWFMemoryStream m; // one stream for all frames: each image has the same size
    for (std::size_t i = 0; i < document.Frames.size(); ++i) {
        const TBitmap r = ComposeSWFFrame(*document.Frames[i], w, h, background);
        m.Seek(0);
        WriteBMP24(m, r);
        TMovieImage* image = movie->AddImage("");
        m.Seek(0);
        image->LoadDataFromStream(m);
        // Compress now and let the BMP rows go, so a long animation is held
        // compressed only; the bytes are those MakeStream would make.
        image->MakeData();
        image->Reader.reset();
        TMovieShape* shape = movie->AddRectangle(0, 0, r.Width(), r.Height());
        shape->SetImageFill(*image, 0, 1.0, 1.0);
        movie->PlaceObject(shape, std::uint16_t(i));
        movie->ShowFrame(1);
    }
    return movie;
}

bool ExportSWF(const TGIFData& document, TColor background, int rate, const std::string& path) {
    std::unique_ptr<TSWFMovie> movie = BuildSWFMovie(document, background, rate);
    movie->MakeStream();
    movie->SaveToFile(path);
    return true;
}
