#include "generators/transitions/SlideShowGenerator.h"

#include "generators/transitions/TransitionComponent.h"
#include "generators/transitions/TransitionStylePainter.h"
#include "gifdata/GifData.h"

#include <algorithm>

TSlideRecord NewSlideRecord(std::mt19937& random) {
    TSlideRecord record;
    record.Style = std::uniform_int_distribution<int>(1, TransitionStyleCount - 1)(random);
    return record;
}

TBitmap StretchToFrame(const TBitmap& picture, int width, int height) {
    TBitmap frame(width, height, pf24bit);
    if (picture.Empty() || frame.Empty()) return frame;
    TBitmap source = picture;
    if (source.PixelFormat() != pf24bit) source.SetPixelFormat(pf24bit);
    StretchCopy(frame, R(0, 0, width, height), source, R(0, 0, source.Width(), source.Height()));
    return frame;
}

int GifDelayFromMilliseconds(int milliseconds) {
    return std::clamp(milliseconds / 10, 1, 65535);
}

int SlideShowFrameCount(const std::vector<TSlide>& slides) {
    int count = 1;
    for (const TSlide& slide : slides) {
        const int step = std::clamp(slide.Record.Step, 1, 100);
        count += (100 + step - 1) / step;
    }
    return count;
}

namespace {

// The wizard's state while it generates.
class TSlideShowRun {
  public:
    TSlideShowRun(TGIFData& document, int width, int height, const std::vector<TSlide>& slides,
                  const TSlideShowProgress& progress)
        : FDocument(document), FSlides(slides), FProgress(progress), FTotal(SlideShowFrameCount(slides)) {
        FView.SetClientSize(width, height);
        FView.SetCenter(true);
        FView.OnStart = [this](TBitmap&, TBitmap&) { LoadNextPicture(); };
        FView.OnAfterNewFrame = [this](TBitmap&, TBitmap& media) { CaptureFrame(media); };
    }

    bool Run() {
        FView.Stop();
        FPreviewIndex = 0;
        FView.SetManual(true);
        FGenerating = true;
        FFrameDelay = FSlides[0].Record.ImageDelay;
        LoadNextPicture();
        FView.Execute();
        FView.SetProgress(100);
        const int n = int(FSlides.size());
        for (int i = 0; i < n; ++i) {
            if (FView.Busy()) FView.Stop();
            FView.Execute();
            const TSlideRecord& r = FSlides[(i + 1) % n].Record;
            const int step = std::clamp(r.Step, 1, 100);
            int a = 0;
            while (a < 100) {
                a += step;
                if (a < 100) {
                    FFrameDelay = r.Delay;
                } else {
                    FFrameDelay = r.ImageDelay;
                    a = 100;
                }
                FView.SetProgress(a);
            }
        }
        FView.Stop();
        FGenerating = false;
        return FFramesAdded;
    }

  private:
    // The next picture for the component, with the settings of the slide
    // before it: as this runs from OnStart, after the component took its copy
    // of the picture, the transition bringing in picture k runs with record k.
    void LoadNextPicture() {
        if (FSlides.empty()) return;
        const int n = int(FSlides.size());
        if (FPreviewIndex >= n) FPreviewIndex = 0;
        FView.SetPicture(FSlides[FPreviewIndex].Bitmap);
        const TSlideRecord& r = FSlides[FPreviewIndex == 0 ? n - 1 : FPreviewIndex - 1].Record;
        FView.SetStep(r.Step);
        FView.SetDelay(r.Delay);
        FView.SetStyle(r.Style);
        ++FPreviewIndex;
    }

    void CaptureFrame(const TBitmap& media) {
        if (!FGenerating) return;
        const std::size_t before = FDocument.Frames.size();
        if (!AddFrameFromBitmap(FDocument, media, -1)) {
            // A failed conversion leaves no stray frame behind.
            if (FDocument.Frames.size() > before) FDocument.DeleteFrame(int(FDocument.Frames.size()) - 1);
            return;
        }
        TGIFImageData& frame = *FDocument.Frames.back();
        if (!frame.Control) frame.Control = std::make_unique<TGIFGraphicControlExtension>();
        frame.Control->DelayTime = std::uint16_t(GifDelayFromMilliseconds(FFrameDelay));
        frame.RenderThumbnail();
        FFramesAdded = true;
        if (FProgress) FProgress(++FDone, FTotal);
    }

    TGIFData& FDocument;
    const std::vector<TSlide>& FSlides;
    TCustomTransitionView FView;
    int FPreviewIndex = 0;
    bool FGenerating = false;
    int FFrameDelay = 0;
    bool FFramesAdded = false;
    const TSlideShowProgress& FProgress;
    const int FTotal;
    int FDone = 0;
};

} // namespace

bool SlideShowFitsBounds(const std::vector<TSlide>& slides, int width, int height) {
    const long long area = (long long)std::max(width, 0) * std::max(height, 0);
    return area <= MaxSlideShowFramePixels && area * SlideShowFrameCount(slides) <= MaxSlideShowPixels;
}

bool GenerateSlideShow(TGIFData& document, int width, int height, const std::vector<TSlide>& slides,
                       const TSlideShowProgress& progress) {
    if (slides.size() < 2 || width < 1 || height < 1) return false;
    TSlideShowRun run(document, width, height, slides, progress);
    return run.Run();
}
