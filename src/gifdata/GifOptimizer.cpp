#include "gifdata/GifOptimizer.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <exception>
#include <limits>
#include <new>
#include <optional>
#include <system_error>
#include <thread>
#include <unordered_map>
#include <vector>

#include "gifdata/GifData.h"
#include "gifdata/GifLzwClearPoints.h"
#include "gifdata/GifLzwEncoder.h"

namespace {

// Screen pixels hold colour numbers (one per distinct RGB value of the whole
// animation), so equal colours compare equal whatever palette slot drew them.
using TScreen = std::vector<std::uint32_t>;
// Two kinds of transparent screen pixels: never drawn (or brought back by
// disposal 3), and cleared by disposal 2. Browsers and ImageMagick show both
// as transparent; gifsicle shows the cleared ones in the background colour
// unless the first frame has a transparent index. Where the two differ for
// the input they are kept apart, so the output agrees in every reading.
constexpr std::uint32_t ClearPixel = 0xFFFFFFFFu;
constexpr std::uint32_t BackgroundPixel = 0xFFFFFFFEu;
inline bool IsTransparentPixel(std::uint32_t c) {
    return c >= BackgroundPixel;
}

// How the input's cleared pixels read.
struct TScreenMode {
    std::uint32_t Cleared = ClearPixel; // what disposal 2 leaves: ClearPixel or BackgroundPixel
    bool FirstOpaque = false;           // the first frame must not carry a transparent index
    bool FirstTransparent = false;      // the first frame must carry one
};

struct TRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0; // right and bottom exclusive
    bool Empty() const { return Right <= Left || Bottom <= Top; }
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    std::int64_t Area() const { return Empty() ? 0 : std::int64_t(Width()) * Height(); }
    void Include(const TRect& other) {
        if (other.Empty()) return;
        if (Empty()) {
            *this = other;
            return;
        }
        Left = std::min(Left, other.Left);
        Top = std::min(Top, other.Top);
        Right = std::max(Right, other.Right);
        Bottom = std::max(Bottom, other.Bottom);
    }
};

// Every distinct RGB value of the animation gets a number.
class TColorNumbers {
  public:
    std::uint32_t NumberOf(const PaletteEntry& entry) {
        const std::uint32_t rgb =
            std::uint32_t(entry.Red) << 16 | std::uint32_t(entry.Green) << 8 | entry.Blue;
        auto [it, added] = Numbers.try_emplace(rgb, std::uint32_t(Colors.size()));
        if (added) Colors.push_back(entry);
        return it->second;
    }
    const PaletteEntry& ColorOf(std::uint32_t number) const { return Colors[number]; }
    std::size_t Count() const { return Colors.size(); }

  private:
    std::unordered_map<std::uint32_t, std::uint32_t> Numbers;
    std::vector<PaletteEntry> Colors;
};

bool HasWholePixels(const TGIFImageData& frame) {
    return frame.HasPixels() && frame.Pixels.size() == std::size_t(frame.Width) * frame.Height;
}

// Plays the frames as a browser does: the screen starts transparent, disposal 2
// clears the frame's rectangle to transparent, disposal 3 brings back the
// screen as it was before the frame, any other value leaves the frame standing.
class TPlayer {
  public:
    TPlayer(int width, int height, TColorNumbers& colors, std::uint32_t cleared)
        : ScreenWidth(width), Cleared(cleared), Colors(colors) {
        Canvas.assign(std::size_t(width) * height, ClearPixel);
    }

    // Disposes of the frame drawn before and draws frame; Canvas then shows it.
    void Draw(const TGIFImageData& frame) {
        DisposePrevious();
        Paint(frame);
    }

    // Draws frame over Canvas as it is.
    void Paint(const TGIFImageData& frame) {
        const TPalette& palette =
            frame.HasLocalTable() || frame.Owner == nullptr ? frame.LocalPalette : frame.Owner->GlobalPalette;
        std::array<std::uint32_t, 256> numbers;
        for (int i = 0; i < 256; ++i) numbers[i] = Colors.NumberOf(palette[i]);
        if (frame.Control->Transparent()) numbers[frame.Control->TransparentIndex] = ClearPixel;
        LastDisposal = frame.Control->Disposal();
        if (LastDisposal == 3) Saved = Canvas;
        LastRect = {frame.Left, frame.Top, frame.Left + frame.Width, frame.Top + frame.Height};
        for (int y = LastRect.Top; y < LastRect.Bottom; ++y) {
            const std::uint8_t* from = frame.Pixels.data() + std::size_t(y - frame.Top) * frame.Width;
            std::uint32_t* to = Canvas.data() + std::size_t(y) * ScreenWidth + LastRect.Left;
            for (int x = 0; x < frame.Width; ++x) {
                const std::uint32_t number = numbers[from[x]];
                if (number != ClearPixel) to[x] = number;
            }
        }
    }

    TScreen Canvas;

    void DisposePrevious() {
        if (LastDisposal == 2) {
            for (int y = LastRect.Top; y < LastRect.Bottom; ++y)
                std::fill_n(Canvas.data() + std::size_t(y) * ScreenWidth + LastRect.Left, LastRect.Width(),
                            Cleared);
        } else if (LastDisposal == 3) {
            Canvas.swap(Saved);
        }
        LastDisposal = 0;
    }

  private:
    int ScreenWidth;
    std::uint32_t Cleared;
    TColorNumbers& Colors;
    TScreen Saved;
    TRect LastRect;
    int LastDisposal = 0;
};

// What an output frame must do at each pixel of its rectangle.
enum TPixelKind : std::uint8_t {
    pkDraw,  // the screen changes here: draw the colour
    pkFree,  // the screen already shows the colour: draw it or leave it transparent
    pkClear, // the screen is and stays transparent: must be left transparent
};

// One output frame before its palette is chosen.
struct TPlan {
    const TGIFImageData* Source = nullptr;
    bool PassThrough = false; // a frame without pixels, copied as it is
    TRect Rect;
    int Disposal = 1;
    std::vector<std::uint32_t> Colors; // screen colour number per pixel of Rect
    std::vector<std::uint8_t> Kinds;   // TPixelKind per pixel of Rect
    bool HasFree = false, HasClear = false;
    bool ForceTransparent = false; // carries a transparent index even when no pixel needs it
    // Some readers take the screen's first colour from the global table only
    // when the first frame uses it: the first frame keeps its kind of table.
    bool MustBeGlobal = false;
    bool MustBeLocal = false;
    std::vector<std::uint32_t> DrawColors, AllColors; // distinct colour numbers: drawn, drawn or free
    bool OpaqueAllowed = false;                       // every pixel may be drawn in its colour
    bool Global = false;
    // The choice made: palette indices and the transparent one (-1 none).
    std::vector<std::uint8_t> Indices;
    int TransparentIndex = -1;
    TPalette LocalPalette{};
    int LocalCount = 0;
};

class TScreenCompare {
  public:
    TScreenCompare(int width, int height) : Width(width), Height(height) {}

    // The box of the pixels where a and b differ.
    TRect Differences(const TScreen& a, const TScreen& b) const {
        TRect box;
        for (int y = 0; y < Height; ++y) {
            const std::uint32_t* ra = a.data() + std::size_t(y) * Width;
            const std::uint32_t* rb = b.data() + std::size_t(y) * Width;
            if (std::equal(ra, ra + Width, rb)) continue;
            int left = 0;
            while (ra[left] == rb[left]) ++left;
            int right = Width;
            while (ra[right - 1] == rb[right - 1]) --right;
            box.Include({left, y, right, y + 1});
        }
        return box;
    }

    // What drawing b over a costs, roughly: chiefly the pixels that differ
    // (the unchanged ones inside the box code cheaply as transparent), then
    // the box of the differences.
    static constexpr std::int64_t DifferingPixelWeight = 64;
    std::int64_t Cost(const TScreen& a, const TScreen& b) const {
        const TRect box = Differences(a, b);
        std::int64_t count = 0;
        for (int y = box.Top; y < box.Bottom; ++y) {
            const std::uint32_t* ra = a.data() + std::size_t(y) * Width;
            const std::uint32_t* rb = b.data() + std::size_t(y) * Width;
            for (int x = box.Left; x < box.Right; ++x) count += ra[x] != rb[x] ? 1 : 0;
        }
        return box.Area() + DifferingPixelWeight * count;
    }

    // The box of the pixels that are transparent in wanted and not the same in
    // shown: a frame drawn over shown cannot make them so.
    TRect Unreachable(const TScreen& wanted, const TScreen& shown) const {
        return Box(wanted, shown,
                   [](std::uint32_t w, std::uint32_t s) { return IsTransparentPixel(w) && w != s; });
    }
    // The box of the pixels that are value in wanted but not in shown.
    TRect Missing(const TScreen& wanted, const TScreen& shown, std::uint32_t value) const {
        return Box(wanted, shown,
                   [value](std::uint32_t w, std::uint32_t s) { return w == value && s != value; });
    }
    bool AnyTransparent(const TScreen& screen, const TRect& rect) const {
        for (int y = rect.Top; y < rect.Bottom; ++y)
            for (int x = rect.Left; x < rect.Right; ++x)
                if (IsTransparentPixel(screen[std::size_t(y) * Width + x])) return true;
        return false;
    }

    void SaveRect(const TScreen& screen, const TRect& rect, std::vector<std::uint32_t>& into) const {
        into.clear();
        for (int y = rect.Top; y < rect.Bottom; ++y) {
            const std::uint32_t* row = screen.data() + std::size_t(y) * Width;
            into.insert(into.end(), row + rect.Left, row + rect.Right);
        }
    }
    void RestoreRect(TScreen& screen, const TRect& rect, const std::vector<std::uint32_t>& from) const {
        auto at = from.begin();
        for (int y = rect.Top; y < rect.Bottom; ++y, at += rect.Width())
            std::copy(at, at + rect.Width(), screen.data() + std::size_t(y) * Width + rect.Left);
    }

    void ClearRect(TScreen& screen, const TRect& rect, std::uint32_t value) const {
        for (int y = rect.Top; y < rect.Bottom; ++y)
            std::fill_n(screen.data() + std::size_t(y) * Width + rect.Left, rect.Width(), value);
    }

    int Width, Height;

  private:
    // test holds only where the two pixels differ, so equal rows are skipped whole.
    template <class TTest> TRect Box(const TScreen& wanted, const TScreen& shown, TTest test) const {
        TRect box;
        for (int y = 0; y < Height; ++y) {
            const std::uint32_t* rw = wanted.data() + std::size_t(y) * Width;
            const std::uint32_t* rs = shown.data() + std::size_t(y) * Width;
            if (std::equal(rw, rw + Width, rs)) continue;
            int left = -1, right = -1;
            for (int x = 0; x < Width; ++x)
                if (test(rw[x], rs[x])) {
                    if (left < 0) left = x;
                    right = x + 1;
                }
            if (left >= 0) box.Include({left, y, right, y + 1});
        }
        return box;
    }
};

// ---- Phase 1: rectangles, disposals and what each pixel must do.

const char* const NoDisposalFits = "No disposal reproduces the next frame";

bool PlanFrames(const TGIFData& document, const TScreenMode& mode, std::vector<TPlan>& plans,
                TColorNumbers& colors, std::string& error) {
    const int width = document.ScreenWidth, height = document.ScreenHeight;
    std::vector<const TGIFImageData*> drawn;
    for (const auto& frame : document.Frames) {
        TPlan plan;
        plan.Source = frame.get();
        plan.PassThrough = !HasWholePixels(*frame);
        if (!plan.PassThrough) {
            if (frame->Left + frame->Width > width || frame->Top + frame->Height > height) {
                error = "A frame lies outside the logical screen";
                return false;
            }
            drawn.push_back(frame.get());
        }
        plans.push_back(std::move(plan));
    }
    if (drawn.empty()) return true;

    TPlayer player(width, height, colors, mode.Cleared);
    TScreenCompare compare(width, height);
    TScreen before(std::size_t(width) * height, ClearPixel); // what the output shows before frame i
    TScreen current, next, after, saved;
    player.Draw(*drawn[0]);
    current = player.Canvas;

    std::size_t planIndex = 0;
    for (std::size_t i = 0; i < drawn.size(); ++i) {
        while (plans[planIndex].PassThrough) ++planIndex;
        TPlan& plan = plans[planIndex++];
        plan.ForceTransparent = i == 0 && mode.FirstTransparent;
        plan.MustBeGlobal = i == 0 && mode.FirstOpaque && !drawn[0]->HasLocalTable();
        plan.MustBeLocal = i == 0 && mode.FirstOpaque && drawn[0]->HasLocalTable();
        const bool last = i + 1 == drawn.size();
        if (!last) {
            player.Draw(*drawn[i + 1]);
            next = player.Canvas;
        }

        TRect rect = compare.Differences(current, before);
        if (rect.Empty()) {
            // Nothing changes, but the frame keeps its place and its delay: one
            // pixel that shows what is there already (opaque where possible).
            const auto opaque = std::find_if(current.begin(), current.end(),
                                             [](std::uint32_t c) { return !IsTransparentPixel(c); });
            const int at = opaque == current.end() ? 0 : int(opaque - current.begin());
            rect = {at % width, at / width, at % width + 1, at / width + 1};
        }

        // The disposal that leaves the next frame least to draw.
        if (last) {
            plan.Disposal = drawn[i]->Control->Disposal();
        } else {
            std::int64_t bestCost = -1;
            int best = 1;
            if (compare.Unreachable(next, current).Empty()) { // leave the frame standing
                bestCost = compare.Cost(next, current);
            }
            TRect cleared = rect;
            cleared.Include(compare.Missing(next, current, mode.Cleared));
            const bool firstStaysOpaque =
                !(i == 0 && mode.FirstOpaque && compare.AnyTransparent(current, cleared));
            // The screen after disposal 2 is current with the cleared box:
            // made in place and undone, and kept only when chosen.
            compare.SaveRect(current, cleared, saved);
            compare.ClearRect(current, cleared, mode.Cleared);
            if (firstStaysOpaque && compare.Unreachable(next, current).Empty()) {
                const std::int64_t backgroundCost =
                    compare.Cost(next, current) + cleared.Area() - rect.Area();
                if (bestCost < 0 || backgroundCost < bestCost) {
                    bestCost = backgroundCost;
                    best = 2;
                }
            }
            if (best == 2) after = current;
            compare.RestoreRect(current, cleared, saved);
            if (compare.Unreachable(next, before).Empty()) {
                const std::int64_t previousCost = compare.Cost(next, before);
                if (bestCost < 0 || previousCost < bestCost) {
                    bestCost = previousCost;
                    best = 3;
                }
            }
            if (bestCost < 0) {
                error = NoDisposalFits;
                return false;
            }
            plan.Disposal = best;
            if (best == 2) rect = cleared;
        }

        plan.Rect = rect;
        const std::size_t area = std::size_t(rect.Area());
        plan.Colors.resize(area);
        plan.Kinds.resize(area);
        std::size_t k = 0;
        for (int y = rect.Top; y < rect.Bottom; ++y) {
            const std::size_t row = std::size_t(y) * width;
            for (int x = rect.Left; x < rect.Right; ++x, ++k) {
                const std::uint32_t want = current[row + x], shown = before[row + x];
                plan.Colors[k] = want;
                if (want != shown) {
                    if (IsTransparentPixel(want)) {
                        error = "Internal error: a pixel cannot be cleared";
                        return false;
                    }
                    plan.Kinds[k] = pkDraw;
                } else if (IsTransparentPixel(want)) {
                    plan.Kinds[k] = pkClear;
                    plan.HasClear = true;
                } else {
                    plan.Kinds[k] = pkFree;
                    plan.HasFree = true;
                }
            }
        }

        // The screen the next frame is drawn on.
        if (plan.Disposal == 2) {
            before.swap(after);
        } else if (plan.Disposal != 3) {
            before.swap(current); // current is replaced by next just below
        }
        current.swap(next);
    }
    return true;
}

// The fallback when no choice of disposals reproduces the animation: every
// frame keeps its rectangle and disposal; pixels that repeat what is on the
// screen may still become transparent, and the palettes are still merged.
bool PlanFramesAsGiven(const TGIFData& document, const TScreenMode& mode, std::vector<TPlan>& plans,
                       TColorNumbers& colors) {
    TPlayer player(document.ScreenWidth, document.ScreenHeight, colors, mode.Cleared);
    const int width = document.ScreenWidth;
    bool first = true;
    for (TPlan& plan : plans) {
        if (plan.PassThrough) continue;
        const TGIFImageData& frame = *plan.Source;
        plan.ForceTransparent = first && mode.FirstTransparent;
        plan.MustBeGlobal = first && mode.FirstOpaque && !frame.HasLocalTable();
        plan.MustBeLocal = first && mode.FirstOpaque && frame.HasLocalTable();
        first = false;
        player.DisposePrevious();
        const TScreen before = player.Canvas;
        player.Paint(frame);
        plan.Rect = {frame.Left, frame.Top, frame.Left + frame.Width, frame.Top + frame.Height};
        plan.Disposal = frame.Control->Disposal();
        const std::size_t area = std::size_t(plan.Rect.Area());
        plan.Colors.resize(area);
        plan.Kinds.resize(area);
        const int transparent = frame.Control->Transparent() ? frame.Control->TransparentIndex : -1;
        std::size_t k = 0;
        for (int y = plan.Rect.Top; y < plan.Rect.Bottom; ++y)
            for (int x = plan.Rect.Left; x < plan.Rect.Right; ++x, ++k) {
                const std::size_t at = std::size_t(y) * width + x;
                plan.Colors[k] = player.Canvas[at];
                if (frame.Pixels[k] == transparent) {
                    plan.Kinds[k] = pkClear;
                    plan.HasClear = true;
                } else if (player.Canvas[at] == before[at]) {
                    plan.Kinds[k] = pkFree;
                    plan.HasFree = true;
                } else {
                    plan.Kinds[k] = pkDraw;
                }
            }
    }
    return true;
}

// ---- Phase 2: colours, the global table, and per frame the cheapest coding.

void CollectColors(TPlan& plan, std::vector<std::uint32_t>& stamp, std::uint32_t mark) {
    // mark identifies the draw pass, mark + 1 the free pass.
    for (std::size_t k = 0; k < plan.Colors.size(); ++k)
        if (plan.Kinds[k] == pkDraw && stamp[plan.Colors[k]] != mark) {
            stamp[plan.Colors[k]] = mark;
            plan.DrawColors.push_back(plan.Colors[k]);
        }
    plan.AllColors = plan.DrawColors;
    for (std::size_t k = 0; k < plan.Colors.size(); ++k)
        if (plan.Kinds[k] == pkFree && stamp[plan.Colors[k]] != mark && stamp[plan.Colors[k]] != mark + 1) {
            stamp[plan.Colors[k]] = mark + 1;
            plan.AllColors.push_back(plan.Colors[k]);
        }
}

// The frames are written with TightCodeSize: the codes are as wide as the largest index needs.
// Counts the bytes written to it and keeps none.
class TCountingStream : public TStream {
  public:
    std::size_t Read(void*, std::size_t) override { return 0; }
    std::size_t Write(const void*, std::size_t count) override {
        Count += std::int64_t(count);
        return count;
    }
    std::int64_t Position() const override { return Count; }
    std::int64_t Size() const override { return Count; }
    bool Seek(std::int64_t) override { return false; }

    std::int64_t Count = 0;
};

std::int64_t EncodedSize(const std::vector<std::uint8_t>& indices, const TRect& rect, int colorCount) {
    TCountingStream stream;
    TLZWEncoder encoder;
    encoder.Encode(stream, 2, std::uint32_t(colorCount), indices.data(), false, rect.Height(), rect.Width());
    return stream.Count;
}

// The pixels of one way of coding a frame, in colour numbers, with
// ClearPixel where the pixel is left transparent.
enum TVariant { vaOpaque, vaTransparent, vaRuns };

std::vector<std::uint32_t> VariantPixels(const TPlan& plan, TVariant variant) {
    std::vector<std::uint32_t> pixels(plan.Colors.size());
    std::uint32_t last = ClearPixel;
    for (std::size_t k = 0; k < pixels.size(); ++k) {
        std::uint32_t value = plan.Colors[k];
        if (plan.Kinds[k] == pkClear) {
            value = ClearPixel;
        } else if (plan.Kinds[k] == pkFree) {
            if (variant == vaTransparent || (variant == vaRuns && value != last)) value = ClearPixel;
        }
        pixels[k] = value;
        last = value;
    }
    return pixels;
}

// The pixels of a frame whose free pixels may keep their colour: every drawn
// colour, then the free colours most often met while the frame holds at most
// limit colours (with globalIndex, only those the global table has); free
// pixels of the other colours are left transparent. colorCount bounds the
// colour numbers.
std::vector<std::uint32_t> FreeChoicePixels(const TPlan& plan, const std::vector<int>& globalIndex,
                                            std::size_t colorCount, std::size_t limit) {
    std::vector<std::uint32_t> pixels = VariantPixels(plan, vaOpaque);
    std::vector<std::int64_t> freeCount(colorCount, 0);
    for (std::size_t k = 0; k < pixels.size(); ++k)
        if (plan.Kinds[k] == pkFree) ++freeCount[pixels[k]];
    std::vector<std::uint8_t> keep(colorCount, 0);
    for (std::uint32_t c : plan.DrawColors) keep[c] = 1;
    std::vector<std::pair<std::int64_t, std::uint32_t>> ranked;
    for (std::uint32_t c : plan.AllColors)
        if (!keep[c] && (globalIndex.empty() || globalIndex[c] >= 0)) ranked.push_back({freeCount[c], c});
    const std::size_t room = limit > plan.DrawColors.size() ? limit - plan.DrawColors.size() : 0;
    if (ranked.size() > room)
        std::stable_sort(ranked.begin(), ranked.end(),
                         [](const auto& a, const auto& b) { return a.first > b.first; });
    for (std::size_t i = 0; i < ranked.size() && i < room; ++i) keep[ranked[i].second] = 1;
    for (std::size_t k = 0; k < pixels.size(); ++k)
        if (plan.Kinds[k] == pkFree && !keep[pixels[k]]) pixels[k] = ClearPixel;
    return pixels;
}

// For each free pixel of plan, the length of the run of pixels that are not
// drawn (free or clear, in file order) it belongs to; kept in lengths.
const std::vector<std::uint32_t>& FreeRunLengths(const TPlan& plan, std::vector<std::uint32_t>& lengths) {
    const std::size_t n = plan.Kinds.size();
    lengths.assign(n, 0);
    for (std::size_t k = 0; k < n;) {
        if (plan.Kinds[k] == pkDraw) {
            ++k;
            continue;
        }
        std::size_t end = k;
        while (end < n && plan.Kinds[end] != pkDraw) ++end;
        std::fill(lengths.begin() + std::ptrdiff_t(k), lengths.begin() + std::ptrdiff_t(end),
                  std::uint32_t(std::min<std::size_t>(end - k, 0xFFFFFFFFu)));
        k = end;
    }
    return lengths;
}

// A coding of a frame: indices, transparent index, local palette when it has one, size.
struct TCoding {
    std::vector<std::uint8_t> Indices;
    int TransparentIndex = -1;
    bool Local = false;
    TPalette Palette{};
    int LocalCount = 0;
    std::int64_t Bytes = 0;
};

// Codes pixels with the global table: globalIndex maps colour numbers to slots
// 0..globalCount-1; a transparent pixel takes the lowest slot the frame does not draw.
TCoding GlobalCoding(const std::vector<std::uint32_t>& pixels, const TPlan& plan,
                     const std::vector<int>& globalIndex, int globalCount, int tableCount, bool measure) {
    TCoding coding;
    std::array<bool, 257> usedSlot{};
    bool transparent = false;
    for (std::uint32_t c : pixels) {
        if (c == ClearPixel)
            transparent = true;
        else
            usedSlot[globalIndex[c]] = true;
    }
    if (transparent) {
        int slot = 0;
        while (slot < globalCount && usedSlot[slot]) ++slot;
        if (slot > 255) { // every slot is drawn: this frame cannot use the global table
            coding.Bytes = -1;
            return coding;
        }
        coding.TransparentIndex = slot; // globalCount: the spare slot after the colours
    }
    coding.Indices.resize(pixels.size());
    for (std::size_t k = 0; k < pixels.size(); ++k)
        coding.Indices[k] =
            std::uint8_t(pixels[k] == ClearPixel ? coding.TransparentIndex : globalIndex[pixels[k]]);
    if (measure) coding.Bytes = EncodedSize(coding.Indices, plan.Rect, tableCount);
    return coding;
}

// The colours of first (all present in pixels) take the lowest slots.
TCoding LocalCoding(const std::vector<std::uint32_t>& pixels, const TPlan& plan, const TColorNumbers& colors,
                    std::vector<int>& scratch, bool measure,
                    const std::vector<std::uint32_t>* first = nullptr) {
    TCoding coding;
    coding.Local = true;
    std::vector<std::uint32_t> used;
    if (first)
        for (std::uint32_t c : *first) {
            scratch[c] = int(used.size());
            used.push_back(c);
        }
    bool transparent = false;
    for (std::uint32_t c : pixels) {
        if (c == ClearPixel) {
            transparent = true;
        } else if (scratch[c] < 0) {
            scratch[c] = int(used.size());
            used.push_back(c);
        }
    }
    coding.LocalCount = int(used.size()) + (transparent ? 1 : 0);
    if (coding.LocalCount > 256) { // more colours than a table holds
        for (std::uint32_t c : used) scratch[c] = -1;
        coding.Bytes = -1;
        return coding;
    }
    for (std::size_t i = 0; i < used.size(); ++i) coding.Palette[i] = colors.ColorOf(used[i]);
    if (transparent) coding.TransparentIndex = int(used.size());
    coding.Indices.resize(pixels.size());
    for (std::size_t k = 0; k < pixels.size(); ++k)
        coding.Indices[k] =
            std::uint8_t(pixels[k] == ClearPixel ? coding.TransparentIndex : scratch[pixels[k]]);
    for (std::uint32_t c : used) scratch[c] = -1;
    if (measure)
        coding.Bytes = EncodedSize(coding.Indices, plan.Rect, coding.LocalCount) +
                       3 * (std::int64_t(2) << SizeCodeFor(coding.LocalCount));
    return coding;
}

// Chooses the values of free pixels a string at a time, as the encoder's
// greedy matching will meet them (same string table, same clear rule, so the
// encoder finds exactly these strings). Each pixel has a preferred value (for
// a free pixel: transparent) and another one (its colour; the same value when
// the pixel has no choice). A string keeps to the preferred values unless a
// search over the table's strings along the other values finds a longer one:
// mixing the two kinds of strings in the table only pays where it makes the
// strings longer. The search is bounded by a budget of table reads.
constexpr int MatchBudget = 64;

class TMatchFiller {
  public:
    explicit TMatchFiller(int budget) : Budget(budget), Table(std::make_unique<THashTable>()) {}

    // bits: the code size the encoder will use (the width of the largest
    // index it meets). Returns the bytes the encoder will write for Out: it
    // counts the codes as the encoder sends them.
    std::int64_t Run(std::vector<std::uint8_t>& out, const std::vector<std::uint8_t>& other, int bits) {
        Out = out.data();
        Other = other.data();
        const std::size_t n = out.size();
        Size = n;
        if (Choice.size() < n) {
            Choice.resize(n);
            Best.resize(n);
            PathCode.resize(n);
        }
        const int first = (1 << bits) + 2;
        int freeCode = first;
        int codeSize = bits + 1, maxCode = (1 << codeSize) - 1;
        std::int64_t codeBits = codeSize; // the clear code that starts the data
        EmptyTable();
        std::size_t start = 0;
        while (n > 0) {
            std::size_t end = Longest(start);
            std::uint32_t code = EndCode;
            // A search cut short by the budget is finished greedily.
            while (end < n) {
                int next = Table->Lookup(code << 8 | Out[end]);
                if (next == THashTable::NotFound && Other[end] != Out[end]) {
                    next = Table->Lookup(code << 8 | Other[end]);
                    if (next != THashTable::NotFound) Out[end] = Other[end];
                }
                if (next == THashTable::NotFound) break;
                code = std::uint32_t(next);
                ++end;
            }
            codeBits += codeSize; // the string's code
            if (freeCode > maxCode) {
                ++codeSize;
                maxCode = codeSize == 12 ? 4096 : (1 << codeSize) - 1;
            }
            if (end >= n) break;
            if (freeCode < 0xFFF) {
                Used.push_back(Table->Insert(code << 8 | Out[end], freeCode++));
            } else {
                codeBits += codeSize; // a clear code
                codeSize = bits + 1;
                maxCode = (1 << codeSize) - 1;
                EmptyTable();
                freeCode = first;
            }
            start = end;
        }
        codeBits += codeSize; // the end code
        const std::int64_t data = (codeBits + 7) / 8;
        return 1 + data + (data + 254) / 255 + 1; // code size byte, sub-blocks, terminator
    }

  private:
    // Empties the slots taken since the last time: far fewer than the whole
    // table for most frames.
    void EmptyTable() {
        for (std::uint32_t slot : Used) Table->Empty(slot);
        Used.clear();
    }

    // The end of the string that starts with Out[start]; the values of the
    // pixels after the first are set in Out.
    std::size_t Longest(std::size_t start) {
        const std::size_t n = Size;
        // The string along the preferred values, with the code reached before each pixel.
        std::size_t plain = start + 1;
        std::uint32_t code = Out[start];
        for (; plain < n; ++plain) {
            PathCode[plain] = code;
            const int next = Table->Lookup(code << 8 | Out[plain]);
            if (next == THashTable::NotFound) break;
            code = std::uint32_t(next);
        }
        EndCode = code;
        std::size_t best = plain, bestBranch = 0;
        int budget = Budget;
        // Where a pixel of that string (or the one that ended it) may take its
        // other value, the strings going on from there.
        for (std::size_t branch = start + 1; branch <= plain && branch < n && budget > 0; ++branch) {
            if (Other[branch] == Out[branch]) continue;
            --budget;
            const int child = Table->Lookup(PathCode[branch] << 8 | Other[branch]);
            if (child == THashTable::NotFound) continue;
            Choice[branch] = Other[branch];
            Stack.clear();
            Stack.push_back({std::uint32_t(child), branch + 1, 0, false});
            while (!Stack.empty() && budget > 0) {
                TStep& step = Stack.back();
                const bool end = step.Pos >= n;
                const std::uint8_t a = end ? 0 : Out[step.Pos], b = end ? 0 : Other[step.Pos];
                if (end || step.Option >= (a == b ? 1 : 2)) {
                    if (!step.Extended && step.Pos > best) {
                        best = step.Pos;
                        bestBranch = branch;
                        EndCode = step.Code;
                        std::copy(Choice.begin() + std::ptrdiff_t(branch),
                                  Choice.begin() + std::ptrdiff_t(best),
                                  Best.begin() + std::ptrdiff_t(branch));
                    }
                    Stack.pop_back();
                    continue;
                }
                const std::uint8_t value = step.Option == 0 ? a : b;
                ++step.Option;
                --budget;
                const int next = Table->Lookup(step.Code << 8 | value);
                if (next == THashTable::NotFound) continue;
                step.Extended = true;
                Choice[step.Pos] = value;
                Stack.push_back({std::uint32_t(next), step.Pos + 1, 0, false});
            }
        }
        if (bestBranch != 0)
            std::copy(Best.begin() + std::ptrdiff_t(bestBranch), Best.begin() + std::ptrdiff_t(best),
                      Out + bestBranch);
        return best;
    }

    struct TStep {
        std::uint32_t Code;
        std::size_t Pos; // the next pixel
        int Option;      // the next value to try: 0 the preferred, 1 the other
        bool Extended;   // a value continued the string
    };

    std::uint8_t* Out = nullptr;
    const std::uint8_t* Other = nullptr;
    std::size_t Size = 0;
    int Budget;
    std::unique_ptr<THashTable> Table;
    std::vector<std::uint8_t> Choice, Best;
    std::vector<std::uint32_t> PathCode;
    std::vector<std::uint32_t> Used; // the slots entries went into
    std::uint32_t EndCode = 0;       // the code of the string Longest found
    std::vector<TStep> Stack;
};

// Orders the global table's colours for narrow codes. A frame's code width
// is set by the highest slot it draws and its transparent slot; the cost of
// an order is the estimated bits of all the frames' codes (a frame takes
// about a code per pixel it draws, and its codes start at that width). Five
// orders are made: frames whose colours fit in fewest slots first; frames
// joining a width at a time (while 2, 4, 8, ... slots hold them, those with
// many pixels and few new colours first); the colours most drawn first; and
// the colours as the frames, forwards or backwards, first draw them. Each is
// improved by moving a frame's colours to the front while that lowers the
// cost, and the cheapest is kept. The first fixed slots stay; colours no
// frame draws go last.
class TSlotOrder {
  public:
    TSlotOrder(const std::vector<std::uint32_t>& colours, std::size_t fixed, std::vector<const TPlan*> frames,
               std::size_t colorCount)
        : Colours(colours), Fixed(fixed), Frames(std::move(frames)), SlotOf(colorCount, -1),
          Uses(colorCount, 0), DrawnBy(colorCount) {
        for (std::size_t f = 0; f < Frames.size(); ++f) {
            Weight.push_back(1.0 +
                             double(std::count(Frames[f]->Kinds.begin(), Frames[f]->Kinds.end(), pkDraw)));
            for (std::uint32_t c : Frames[f]->DrawColors) {
                ++Uses[c];
                DrawnBy[c].push_back(std::uint32_t(f));
            }
        }
    }

    std::vector<std::uint32_t> Best() {
        std::vector<std::uint32_t> best;
        double cost = 0;
        for (std::vector<std::uint32_t> order :
             {FewestFirst(), WidthAtATime(), MostDrawnFirst(), InFrameOrder(false), InFrameOrder(true)}) {
            MoveFramesToFront(order);
            if (const double c = Cost(order); best.empty() || c < cost) {
                cost = c;
                best = std::move(order);
            }
        }
        return best;
    }

  private:
    // The bits of that many LZW codes from a minimum code size: they start
    // one wider and widen as the string table grows, by about one entry a code.
    static double CodeBits(double codes, int minimum) {
        double bits = 0, next = double((1 << minimum) + 2);
        for (int width = minimum + 1; codes > 0; ++width) {
            const double take =
                width >= 12 ? codes : std::min(codes, std::max(1.0, double(1 << width) - next));
            bits += take * width;
            codes -= take;
            next += take;
        }
        return bits;
    }

    double Cost(const std::vector<std::uint32_t>& order) {
        for (std::size_t i = 0; i < order.size(); ++i) SlotOf[order[i]] = int(i);
        double total = 0;
        for (std::size_t f = 0; f < Frames.size(); ++f) {
            int top = -1;
            for (std::uint32_t c : Frames[f]->DrawColors) top = std::max(top, SlotOf[c]);
            const std::size_t slots = std::max(std::size_t(top + 1), Frames[f]->DrawColors.size() + 1);
            total += CodeBits(Weight[f], std::max(2, BitsForCount(std::uint32_t(slots))));
        }
        return total;
    }

    // Starts an order: the fixed slots, nothing placed yet.
    void Begin(std::vector<std::uint32_t>& order) {
        order.assign(Colours.begin(), Colours.begin() + std::ptrdiff_t(Fixed));
        Placed.assign(SlotOf.size(), 0);
        for (std::uint32_t c : order) Placed[c] = 1;
    }
    // Appends the colours of frame f not placed yet, those of many frames first.
    void Place(std::vector<std::uint32_t>& order, std::size_t f) {
        const std::size_t from = order.size();
        for (std::uint32_t c : Frames[f]->DrawColors)
            if (!Placed[c]) {
                Placed[c] = 1;
                order.push_back(c);
            }
        std::stable_sort(order.begin() + std::ptrdiff_t(from), order.end(),
                         [this](std::uint32_t a, std::uint32_t b) { return Uses[a] > Uses[b]; });
    }
    void Finish(std::vector<std::uint32_t>& order) {
        for (std::uint32_t c : Colours)
            if (!Placed[c]) order.push_back(c); // kept only where a frame may draw them
    }

    // The colours as the frames (or the frames backwards) first draw them.
    std::vector<std::uint32_t> InFrameOrder(bool backwards) {
        std::vector<std::uint32_t> order;
        Begin(order);
        for (std::size_t i = 0; i < Frames.size(); ++i) {
            const std::size_t f = backwards ? Frames.size() - 1 - i : i;
            if (Frames[f]->DrawColors.size() < 128) Place(order, f); // the others have 8-bit codes anyway
        }
        Finish(order);
        return order;
    }

    std::vector<std::uint32_t> FewestFirst() {
        std::vector<std::size_t> frames(Frames.size());
        for (std::size_t f = 0; f < frames.size(); ++f) frames[f] = f;
        std::stable_sort(frames.begin(), frames.end(), [this](std::size_t a, std::size_t b) {
            return Frames[a]->DrawColors.size() < Frames[b]->DrawColors.size();
        });
        std::vector<std::uint32_t> order;
        Begin(order);
        for (std::size_t f : frames) Place(order, f);
        Finish(order);
        return order;
    }

    // The colours most drawn (in pixels, by the frames of fewer than 128 colours) first.
    std::vector<std::uint32_t> MostDrawnFirst() {
        std::vector<std::int64_t> pixels(SlotOf.size(), 0);
        for (const TPlan* frame : Frames) {
            if (frame->DrawColors.size() >= 128) continue;
            for (std::size_t k = 0; k < frame->Kinds.size(); ++k)
                if (frame->Kinds[k] == pkDraw) ++pixels[frame->Colors[k]];
        }
        std::vector<std::uint32_t> order;
        Begin(order);
        std::vector<std::uint32_t> rest;
        for (std::uint32_t c : Colours)
            if (!Placed[c]) rest.push_back(c);
        std::stable_sort(rest.begin(), rest.end(),
                         [&pixels](std::uint32_t a, std::uint32_t b) { return pixels[a] > pixels[b]; });
        order.insert(order.end(), rest.begin(), rest.end());
        return order;
    }

    std::vector<std::uint32_t> WidthAtATime() {
        std::vector<std::uint32_t> order;
        Begin(order);
        // How many colours of each frame still wait for a slot.
        std::vector<std::size_t> waiting(Frames.size(), 0);
        for (std::size_t f = 0; f < Frames.size(); ++f)
            for (std::uint32_t c : Frames[f]->DrawColors) waiting[f] += Placed[c] ? 0 : 1;
        std::vector<char> joined(Frames.size(), 0);
        auto join = [&](std::size_t f) {
            joined[f] = 1;
            for (std::uint32_t c : Frames[f]->DrawColors)
                if (!Placed[c])
                    for (std::uint32_t other : DrawnBy[c]) --waiting[other];
            Place(order, f);
        };
        for (std::size_t slots = 2; slots <= 256; slots *= 2) {
            for (;;) {
                std::size_t best = Frames.size();
                double bestScore = 0;
                for (std::size_t f = 0; f < Frames.size(); ++f) {
                    // The frame's colours and its transparent slot fit.
                    if (joined[f] || Frames[f]->DrawColors.size() + 1 > slots ||
                        order.size() + waiting[f] > slots)
                        continue;
                    const double score = Weight[f] / double(waiting[f] + 1);
                    if (best == Frames.size() || score > bestScore) {
                        best = f;
                        bestScore = score;
                    }
                }
                if (best == Frames.size()) break;
                join(best);
            }
        }
        for (std::size_t f = 0; f < Frames.size(); ++f)
            if (!joined[f]) join(f);
        Finish(order);
        return order;
    }

    void MoveFramesToFront(std::vector<std::uint32_t>& order) {
        std::vector<std::size_t> frames(Frames.size());
        for (std::size_t f = 0; f < frames.size(); ++f) frames[f] = f;
        std::stable_sort(frames.begin(), frames.end(),
                         [this](std::size_t a, std::size_t b) { return Weight[a] > Weight[b]; });
        double current = Cost(order);
        std::vector<std::uint32_t> candidate;
        std::vector<char> front(SlotOf.size(), 0);
        for (int pass = 0; pass < 4; ++pass) {
            bool improved = false;
            for (std::size_t f : frames) {
                if (Frames[f]->DrawColors.size() >= 128) continue; // 8-bit codes wherever its colours sit
                candidate.assign(order.begin(), order.begin() + std::ptrdiff_t(Fixed));
                for (std::uint32_t c : Frames[f]->DrawColors) front[c] = 1;
                for (std::size_t i = Fixed; i < order.size(); ++i)
                    if (front[order[i]]) candidate.push_back(order[i]);
                for (std::size_t i = Fixed; i < order.size(); ++i)
                    if (!front[order[i]]) candidate.push_back(order[i]);
                for (std::uint32_t c : Frames[f]->DrawColors) front[c] = 0;
                const double cost = Cost(candidate);
                if (cost < current) {
                    current = cost;
                    order.swap(candidate);
                    improved = true;
                }
            }
            if (!improved) break;
        }
    }

    const std::vector<std::uint32_t>& Colours;
    std::size_t Fixed;
    std::vector<const TPlan*> Frames;
    std::vector<double> Weight;
    std::vector<int> SlotOf;
    std::vector<int> Uses;
    std::vector<std::vector<std::uint32_t>> DrawnBy;
    std::vector<char> Placed;
};

// Calls work(i, state) for every i in [0, count), on this thread and on one
// more where it can start, each thread with a default-made TState of its own.
// An exception thrown on the other thread is thrown again here once both are
// done.
template <class TState, class TWork> void ForEachOnTwoThreads(std::size_t count, TWork&& work) {
    std::atomic<std::size_t> next{0};
    const auto run = [&] {
        TState state{};
        for (std::size_t i = next++; i < count; i = next++) work(i, state);
    };
    std::exception_ptr failure;
    std::thread helper;
    if (count > 1) {
        try {
            helper = std::thread([&] {
                try {
                    run();
                } catch (...) {
                    failure = std::current_exception();
                    next = count; // the other thread stops too
                }
            });
        } catch (const std::system_error&) {
            // one thread does it all
        }
    }
    try {
        run();
    } catch (...) {
        next = count;
        if (helper.joinable()) helper.join();
        throw;
    }
    if (helper.joinable()) helper.join();
    if (failure) std::rethrow_exception(failure);
}

// backgroundNumber (or -1) is a colour the global table must hold in slot 0.
bool ChooseCodings(std::vector<TPlan>& plans, const TColorNumbers& colors, int level, int backgroundNumber,
                   std::vector<int>& globalOrder, std::string& error) {
    std::vector<std::uint32_t> stamp(colors.Count(), ClearPixel);
    std::uint32_t mark = 0;
    for (TPlan& plan : plans) {
        if (plan.PassThrough) continue;
        CollectColors(plan, stamp, mark);
        mark += 2;
        plan.OpaqueAllowed = !plan.HasClear && plan.AllColors.size() <= 256;
        const bool transparentAllowed = plan.DrawColors.size() < 256;
        if (!plan.OpaqueAllowed && !transparentAllowed) {
            error = "A frame changes more than 256 colours at once";
            return false;
        }
    }

    // The global table: frames in order join while their colours (and a
    // transparent slot when they may need one) still fit in 256.
    std::vector<int> globalIndex(colors.Count(), -1);
    std::vector<std::uint32_t> global;
    if (backgroundNumber >= 0) {
        globalIndex[std::size_t(backgroundNumber)] = 0;
        global.push_back(std::uint32_t(backgroundNumber));
    }
    for (TPlan& plan : plans) {
        if (plan.PassThrough) continue;
        const auto& wanted = plan.OpaqueAllowed ? plan.AllColors : plan.DrawColors;
        std::size_t added = 0;
        for (std::uint32_t c : wanted)
            if (globalIndex[c] < 0) ++added;
        // A transparent pixel takes any slot the frame does not draw: one of the
        // table's other colours, or a spare slot after them.
        const bool needsSlot = plan.HasFree || plan.HasClear || plan.ForceTransparent;
        const std::size_t total = global.size() + added;
        if (plan.MustBeLocal || total > 256 || (needsSlot && total == 256 && wanted.size() == 256)) continue;
        plan.Global = true;
        for (std::uint32_t c : wanted)
            if (globalIndex[c] < 0) {
                globalIndex[c] = int(global.size());
                global.push_back(c);
            }
    }
    // With tight codes a frame's code width follows the highest slot it
    // draws: the order of the global table decides how narrow they are.
    {
        std::vector<const TPlan*> frames;
        for (const TPlan& plan : plans)
            if (!plan.PassThrough && plan.Global) frames.push_back(&plan);
        TSlotOrder slots(global, backgroundNumber >= 0 ? 1 : 0, frames, colors.Count());
        global = slots.Best();
        for (std::size_t i = 0; i < global.size(); ++i) globalIndex[global[i]] = int(i);
    }
    const int globalCount = int(global.size());
    const int tableCount = std::min(256, globalCount + 1);

    // Each frame's coding depends on its plan and the global table alone,
    // so the frames are shared between two threads, each with its own
    // scratch space.
    struct TWorkspace {
        std::vector<int> Scratch;
        TMatchFiller Filler{MatchBudget};
        std::vector<std::uint32_t> RunScratch;
        std::vector<std::uint8_t> Other;
    };
    // Returns what went wrong, or null.
    const auto codeFrame = [&](TPlan& plan, TWorkspace& workspace) -> const char* {
        std::vector<int>& scratch = workspace.Scratch;
        TMatchFiller& filler = workspace.Filler;
        std::vector<std::uint32_t>& runScratch = workspace.RunScratch;
        std::vector<std::uint8_t>& other = workspace.Other;
        std::vector<TVariant> variants;
        if (level == 1) { // the first that can be coded
            const bool opaqueFirst = plan.OpaqueAllowed && !plan.HasFree;
            variants.push_back(opaqueFirst ? vaOpaque : vaTransparent);
            if (plan.OpaqueAllowed) variants.push_back(opaqueFirst ? vaTransparent : vaOpaque);
        } else {
            if (plan.OpaqueAllowed) variants.push_back(vaOpaque);
            if (plan.HasFree || plan.HasClear) variants.push_back(vaTransparent);
            // At level 3 the string matching below decides where it can; the
            // transparent variants remain for the frames it cannot take.
            if (level >= 3 && plan.HasFree && !(plan.OpaqueAllowed && plan.AllColors.size() < 256))
                variants.push_back(vaRuns);
        }
        const bool measure = level >= 2;
        TCoding best;
        best.Bytes = -1;
        // A table of its own pays only for a frame of few colours in a large global table.
        const bool tryLocal =
            level >= 3 && plan.AllColors.size() <= 64 &&
            BitsForCount(std::uint32_t(plan.AllColors.size()) + 1) < BitsForCount(std::uint32_t(tableCount));
        if (level >= 3 && plan.HasFree && plan.DrawColors.size() < 256) {
            // Every colour that fits in its slot and a transparent slot none of
            // them takes; free pixels of the colours left out stay transparent.
            TCoding global, local;
            if (plan.Global) {
                std::vector<std::uint32_t> pixels = FreeChoicePixels(plan, globalIndex, colors.Count(), 256);
                pixels.push_back(ClearPixel);
                global = GlobalCoding(pixels, plan, globalIndex, globalCount, tableCount, false);
            }
            if (!plan.MustBeGlobal && (!plan.Global || tryLocal)) {
                std::vector<std::uint32_t> pixels = FreeChoicePixels(plan, {}, colors.Count(), 255);
                pixels.push_back(ClearPixel);
                local = LocalCoding(pixels, plan, colors, scratch, false, &plan.DrawColors);
            }
            for (TCoding* coding : {&global, &local}) {
                if (coding->Indices.empty() || coding->Bytes < 0) continue;
                coding->Indices.pop_back();
                // The codes are as narrow as the drawn pixels and the transparent
                // slot allow: free pixels of higher slots stay transparent (wider
                // codes for them were never found to pay).
                int needed = coding->TransparentIndex;
                for (std::size_t k = 0; k < coding->Indices.size(); ++k)
                    if (plan.Kinds[k] != pkFree) needed = std::max<int>(needed, coding->Indices[k]);
                const int bits = std::max(2, BitsForCount(std::uint32_t(needed) + 1));
                // Free pixels in runs of at most this many between drawn
                // pixels prefer their colour; the others prefer transparent.
                static constexpr std::uint32_t ShortRuns[] = {0, 4, 16};
                const std::vector<std::uint32_t>& runs = FreeRunLengths(plan, runScratch);
                const auto transparent = std::uint8_t(coding->TransparentIndex);
                std::int64_t previous = -1;
                for (std::uint32_t shortRun : ShortRuns) {
                    TCoding trial = *coding;
                    std::vector<std::uint8_t>& out = trial.Indices;
                    other.assign(out.begin(), out.end());
                    for (std::size_t k = 0; k < out.size(); ++k) {
                        if (plan.Kinds[k] != pkFree) continue;
                        const std::uint8_t colour = out[k] < (1 << bits) ? out[k] : transparent;
                        const bool keepColour = runs[k] <= shortRun;
                        out[k] = keepColour ? colour : transparent;
                        other[k] = keepColour ? transparent : colour;
                    }
                    trial.Bytes = filler.Run(out, other, bits);
                    // Without the transparent slot the codes may be narrower than counted.
                    int largest = 0;
                    for (std::uint8_t index : out) largest = std::max<int>(largest, index);
                    if (std::max(2, BitsForCount(std::uint32_t(largest) + 1)) != bits)
                        trial.Bytes = EncodedSize(out, plan.Rect, tableCount);
                    if (trial.Local) trial.Bytes += 3 * (std::int64_t(2) << SizeCodeFor(trial.LocalCount));
                    const std::int64_t bytes = trial.Bytes;
                    if (best.Bytes < 0 || trial.Bytes < best.Bytes) best = std::move(trial);
                    // Longer runs in colour stop paying once they no longer help.
                    if (previous >= 0 && bytes >= previous) break;
                    previous = bytes;
                }
            }
        }
        for (TVariant variant : variants) {
            // Where the strings were matched, the transparent variants gain nothing more.
            if (best.Bytes >= 0 && variant != vaOpaque) continue;
            const std::vector<std::uint32_t> pixels = VariantPixels(plan, variant);
            if (plan.Global) {
                TCoding coding = GlobalCoding(pixels, plan, globalIndex, globalCount, tableCount, measure);
                if (coding.Bytes >= 0 && (best.Bytes < 0 || coding.Bytes < best.Bytes))
                    best = std::move(coding);
            }
            if (!plan.Global || (tryLocal && !plan.MustBeGlobal) || best.Bytes < 0) {
                TCoding coding = LocalCoding(pixels, plan, colors, scratch, measure);
                if (coding.Bytes >= 0 && (best.Bytes < 0 || coding.Bytes < best.Bytes))
                    best = std::move(coding);
            }
        }
        if (best.Bytes >= 0 && plan.ForceTransparent && best.TransparentIndex < 0) {
            if (!best.Local) {
                best.TransparentIndex = globalCount; // a slot it does not draw is found below
            } else if (best.LocalCount < 256) {
                best.TransparentIndex = best.LocalCount++;
            } else {
                best.Bytes = -1;
            }
        }
        if (best.Bytes < 0) return "A frame cannot be coded in 256 colours";
        plan.Global = !best.Local;
        plan.Indices = std::move(best.Indices);
        plan.TransparentIndex = best.TransparentIndex;
        plan.LocalPalette = best.Palette;
        plan.LocalCount = best.LocalCount;
        plan.Colors.clear();
        plan.Colors.shrink_to_fit();
        plan.Kinds.clear();
        plan.Kinds.shrink_to_fit();
        return nullptr;
    };
    std::vector<const char*> failures(plans.size(), nullptr);
    ForEachOnTwoThreads<TWorkspace>(plans.size(), [&](std::size_t i, TWorkspace& workspace) {
        if (plans[i].PassThrough) return;
        if (workspace.Scratch.size() != colors.Count()) workspace.Scratch.assign(colors.Count(), -1);
        failures[i] = codeFrame(plans[i], workspace);
    });
    for (const char* failure : failures)
        if (failure) {
            error = failure;
            return false;
        }

    // Drop the global colours no frame kept, then give each frame's
    // transparent pixels the lowest slot it does not draw.
    std::array<int, 257> remap;
    remap.fill(-1);
    int kept = 0;
    if (backgroundNumber >= 0) remap[0] = 0;
    for (const TPlan& plan : plans)
        if (!plan.PassThrough && plan.Global)
            for (std::size_t k = 0; k < plan.Indices.size(); ++k)
                if (int(plan.Indices[k]) != plan.TransparentIndex) remap[plan.Indices[k]] = 0;
    globalOrder.clear();
    for (int slot = 0; slot < globalCount; ++slot)
        if (remap[slot] == 0) {
            remap[slot] = kept++;
            globalOrder.push_back(int(global[slot]));
        }
    for (TPlan& plan : plans) {
        if (plan.PassThrough || !plan.Global) continue;
        // A transparent index is never a slot the frame draws, so the two can be told apart.
        std::array<bool, 257> drawsSlot{};
        for (std::uint8_t index : plan.Indices)
            if (int(index) != plan.TransparentIndex) drawsSlot[remap[index]] = true;
        int slot = -1;
        if (plan.TransparentIndex >= 0) {
            slot = 0;
            while (slot < kept && drawsSlot[slot]) ++slot;
            if (slot > 255) {
                error = "Internal error: no transparent slot is left";
                return false;
            }
        }
        for (std::uint8_t& index : plan.Indices)
            index = std::uint8_t(int(index) == plan.TransparentIndex ? slot : remap[index]);
        plan.TransparentIndex = slot;
    }
    return true;
}

// A document with the screen, tables, loop and titles of document and no frames.
std::unique_ptr<TGIFData> CloneScreen(const TGIFData& document) {
    auto copy = std::make_unique<TGIFData>();
    copy->Signature = document.Signature;
    copy->Version = document.Version;
    copy->ScreenWidth = document.ScreenWidth;
    copy->ScreenHeight = document.ScreenHeight;
    copy->ScreenFlags = document.ScreenFlags;
    copy->BackgroundIndex = document.BackgroundIndex;
    copy->AspectRatio = document.AspectRatio;
    copy->LoopCount = document.LoopCount;
    copy->Looping = document.Looping;
    copy->GlobalPalette = document.GlobalPalette;
    copy->TitleExtension->Data = document.TitleExtension->Data;
    copy->OmitEmptyTitles = document.OmitEmptyTitles;
    return copy;
}

// A copy of source for owner: its place, flags, extensions, palette, title
// and, when withPixels, its pixels.
std::unique_ptr<TGIFImageData> CloneFrame(const TGIFImageData& source, TGIFData& owner, bool withPixels) {
    auto frame = std::make_unique<TGIFImageData>(&owner);
    frame->Left = source.Left;
    frame->Top = source.Top;
    frame->Width = source.Width;
    frame->Height = source.Height;
    frame->ImageFlags = source.ImageFlags;
    for (const auto& extension : source.Extensions) frame->Extensions.push_back(extension->Clone());
    if (withPixels) {
        frame->Pixels = source.Pixels;
        frame->PixelCount = source.PixelCount;
    }
    frame->Control.reset(static_cast<TGIFGraphicControlExtension*>(source.Control->Clone().release()));
    frame->LocalPalette = source.LocalPalette;
    frame->Title = source.Title;
    frame->TightCodeSize = source.TightCodeSize;
    if (withPixels) frame->ClearPoints = source.ClearPoints;
    return frame;
}

void ApplyPlans(TGIFData& document, std::vector<TPlan>& plans, const TColorNumbers& colors,
                const std::vector<int>& globalOrder) {
    std::vector<std::unique_ptr<TGIFImageData>> frames;
    int globalSlots = int(globalOrder.size());
    for (const TPlan& plan : plans)
        if (!plan.PassThrough && plan.Global) globalSlots = std::max(globalSlots, plan.TransparentIndex + 1);

    for (TPlan& plan : plans) {
        const TGIFImageData& source = *plan.Source;
        auto frame = CloneFrame(source, document, plan.PassThrough);
        if (!plan.PassThrough) {
            frame->Left = std::uint16_t(plan.Rect.Left);
            frame->Top = std::uint16_t(plan.Rect.Top);
            frame->Width = std::uint16_t(plan.Rect.Width());
            frame->Height = std::uint16_t(plan.Rect.Height());
            frame->ImageFlags = std::uint8_t(source.ImageFlags & 0x18); // reserved bits kept
            if (!plan.Global) {
                frame->ImageFlags |= 0x80;
                frame->SetLocalTableSize(SizeCodeFor(plan.LocalCount));
                frame->LocalPalette = plan.LocalPalette;
            }
            frame->Pixels = std::move(plan.Indices);
            frame->TightCodeSize = true;
            frame->PixelCount = std::int32_t(frame->Pixels.size());
            frame->Control->SetDisposal(plan.Disposal);
            frame->Control->SetTransparent(plan.TransparentIndex >= 0);
            frame->Control->TransparentIndex = std::uint8_t(std::max(plan.TransparentIndex, 0));
            frame->UpdateLocalUsage();
        }
        frames.push_back(std::move(frame));
    }

    document.Frames = std::move(frames);
    document.GlobalPalette = TPalette{};
    for (std::size_t i = 0; i < globalOrder.size(); ++i)
        document.GlobalPalette[i] = colors.ColorOf(std::uint32_t(globalOrder[i]));
    const std::uint8_t resolution = document.ScreenFlags & 0x70;
    if (globalSlots > 0)
        document.ScreenFlags = std::uint8_t(0x80 | resolution | SizeCodeFor(globalSlots));
    else
        document.ScreenFlags = resolution;
    document.BackgroundIndex = 0;
    document.UpdateGlobalUsage();
}

// Chooses the clear points of the frames the optimiser coded, on a second
// thread while the caller goes on (the search reads the frames' pixels and
// keeps its results apart, so the frames may be read meanwhile); Finish
// takes a share of the frames left, waits for the thread and stores the
// points. Without a thread the caller's Finish does all the frames.
class TClearPointSearch {
  public:
    explicit TClearPointSearch(const TGIFData& document) {
        for (const auto& frame : document.Frames)
            if (frame->TightCodeSize && !frame->Pixels.empty() && !frame->Interlaced())
                Frames.push_back(frame.get());
        Points.resize(Frames.size());
        if (Frames.size() < 2) return;
        try {
            Worker = std::thread([this] { Work(); });
        } catch (const std::system_error&) {
            // no second thread: Finish does it all
        }
    }
    ~TClearPointSearch() { Stop(); }
    TClearPointSearch(const TClearPointSearch&) = delete;
    TClearPointSearch& operator=(const TClearPointSearch&) = delete;

    // Frames not yet begun are left without points.
    void Stop() {
        Next = Frames.size();
        if (Worker.joinable()) Worker.join();
    }

    void Finish() {
        Work();
        if (Worker.joinable()) Worker.join();
        for (std::size_t i = 0; i < Frames.size(); ++i) Frames[i]->ClearPoints = std::move(Points[i]);
    }

  private:
    void Work() {
        for (std::size_t i = Next++; i < Frames.size(); i = Next++) {
            const std::vector<std::uint8_t>& pixels = Frames[i]->Pixels;
            try {
                Points[i] = ChooseClearPoints(pixels.data(), pixels.size(),
                                              LzwCodeBits(2, pixels.data(), pixels.size()));
            } catch (const std::bad_alloc&) {
                Points[i].clear(); // the encoder's own clears serve
            }
        }
    }

    std::vector<TGIFImageData*> Frames;
    std::vector<std::vector<std::uint32_t>> Points;
    std::atomic<std::size_t> Next{0};
    std::thread Worker;
};

// The moves CompactGlobalPalette / CompactLocalPalette make (the highest used
// slot fills the lowest hole), as one map from slot to slot. No slot moves
// twice, so applying the map once gives the same result as the moves one by one.
std::array<std::uint8_t, 256> CompactionMap(TPalette& palette, int& used) {
    std::array<std::uint8_t, 256> map;
    for (int i = 0; i < 256; ++i) map[std::size_t(i)] = std::uint8_t(i);
    for (int i = 0; i < 256; ++i) {
        if (palette[std::size_t(i)].Used) continue;
        int k = 255;
        while (k > i && !palette[std::size_t(k)].Used) --k;
        if (k == i) break;
        palette[std::size_t(i)] = palette[std::size_t(k)];
        palette[std::size_t(k)].Used = 0;
        map[std::size_t(k)] = std::uint8_t(i);
    }
    used = 0;
    for (const PaletteEntry& entry : palette) used += entry.Used ? 1 : 0;
    return map;
}

void ApplyMap(TGIFImageData& frame, const std::array<std::uint8_t, 256>& map) {
    for (std::uint8_t& pixel : frame.Pixels) pixel = map[pixel];
    frame.Control->TransparentIndex = map[frame.Control->TransparentIndex];
}

// The bytes the image data alone of document takes, saved as the editor
// saves; stops counting after the frame that takes it past limit (which may
// be lowered meanwhile). The frames are compacted and encoded one at a time,
// so an original far larger than limit is mostly neither copied nor encoded.
std::int64_t ImageDataBytes(const TGIFData& document, const std::atomic<std::int64_t>& limit) {
    TGIFData owner;
    owner.GlobalPalette = document.GlobalPalette;
    owner.ScreenFlags = document.ScreenFlags;
    std::array<std::uint8_t, 256> globalMap{};
    if (document.HasGlobalTable()) {
        int used = 0;
        globalMap = CompactionMap(owner.GlobalPalette, used);
        owner.SetGlobalTableSize(SizeCodeFor(used));
    }
    TCountingStream counter;
    for (const auto& source : document.Frames) {
        if (!source->HasPixels()) continue;
        std::unique_ptr<TGIFImageData> frame = CloneFrame(*source, owner, true);
        if (frame->HasLocalTable()) {
            int used = 0;
            ApplyMap(*frame, CompactionMap(frame->LocalPalette, used));
            frame->SetLocalTableSize(SizeCodeFor(used));
        } else if (document.HasGlobalTable()) {
            ApplyMap(*frame, globalMap);
        }
        frame->EncodeImage(counter);
        if (counter.Count > limit.load(std::memory_order_relaxed)) break;
    }
    return counter.Count;
}

// Whether the input's image data takes more than the optimised result,
// whose size is known only at the end: counted on a second thread from the
// start, while the input is only read, and cut short once the result's size
// is known and passed.
class TInputSizeCheck {
  public:
    explicit TInputSizeCheck(const TGIFData& document) : Document(document) {
        try {
            Worker = std::thread([this] { Count(); });
        } catch (const std::system_error&) {
            // no second thread: Exceeds counts
        }
    }
    ~TInputSizeCheck() {
        Limit = -1; // stop after the frame in hand
        if (Worker.joinable()) Worker.join();
    }
    TInputSizeCheck(const TInputSizeCheck&) = delete;
    TInputSizeCheck& operator=(const TInputSizeCheck&) = delete;

    // False also when the count ran out of memory.
    bool Exceeds(std::int64_t limit) {
        Limit = limit;
        if (Worker.joinable())
            Worker.join();
        else
            Count();
        return Bytes > limit;
    }

  private:
    void Count() {
        try {
            Bytes = ImageDataBytes(Document, Limit);
        } catch (const std::bad_alloc&) {
            Bytes = -1;
        }
    }

    const TGIFData& Document;
    std::atomic<std::int64_t> Limit{std::numeric_limits<std::int64_t>::max()};
    std::int64_t Bytes = -1;
    std::thread Worker;
};

} // namespace

void CompactPalettesAtOnce(TGIFData& document) {
    int used = 0;
    if (document.HasGlobalTable()) {
        const auto map = CompactionMap(document.GlobalPalette, used);
        for (auto& frame : document.Frames)
            if (!frame->HasLocalTable()) ApplyMap(*frame, map);
        document.BackgroundIndex = map[document.BackgroundIndex];
        document.SetGlobalTableSize(SizeCodeFor(used));
    }
    for (auto& frame : document.Frames) {
        if (!frame->HasLocalTable()) continue;
        ApplyMap(*frame, CompactionMap(frame->LocalPalette, used));
        frame->SetLocalTableSize(SizeCodeFor(used));
    }
}

bool OptimizeAnimation(TGIFData& document, int level, std::string* error) {
    std::string reason;
    bool ok = false;
    if (level < OptimizeLevelMin || level > OptimizeLevelMax) {
        reason = "The optimisation level must be 1, 2 or 3";
    } else if (std::int64_t(document.ScreenWidth) * document.ScreenHeight > MaxOptimizeScreenPixels) {
        reason = "The logical screen is too large to optimise";
    } else if (document.ScreenWidth == 0 || document.ScreenHeight == 0) {
        reason = "The logical screen is empty";
    } else {
        try {
            TInputSizeCheck inputSize(document);
            std::vector<TPlan> plans;
            TColorNumbers colors;
            std::vector<int> globalOrder;
            TScreenMode mode;
            int backgroundNumber = -1;
            const auto first = std::find_if(document.Frames.begin(), document.Frames.end(),
                                            [](const auto& frame) { return HasWholePixels(*frame); });
            if (first != document.Frames.end()) {
                const bool backgroundShows = !(*first)->Control->Transparent() && document.HasGlobalTable() &&
                                             document.BackgroundIndex < (2 << document.GlobalTableSize());
                if (backgroundShows) {
                    mode.Cleared = BackgroundPixel;
                    mode.FirstOpaque = true;
                    backgroundNumber = int(colors.NumberOf(document.GlobalPalette[document.BackgroundIndex]));
                } else {
                    mode.FirstTransparent = true;
                }
            }
            ok = PlanFrames(document, mode, plans, colors, reason);
            if (!ok) {
                plans.clear();
                for (const auto& frame : document.Frames) {
                    TPlan plan;
                    plan.Source = frame.get();
                    plan.PassThrough = !HasWholePixels(*frame);
                    plans.push_back(std::move(plan));
                }
                ok = reason == NoDisposalFits && PlanFramesAsGiven(document, mode, plans, colors);
            }
            ok = ok && ChooseCodings(plans, colors, level, backgroundNumber, globalOrder, reason);
            if (ok) {
                // The result replaces the document only when it is not larger.
                std::unique_ptr<TGIFData> result = CloneScreen(document); // the frames come from the plans
                ApplyPlans(*result, plans, colors, globalOrder);
                // Where to clear the string tables: chosen while the sizes are
                // compared, which they can only make smaller.
                std::optional<TClearPointSearch> clearPoints;
                if (level >= 3) clearPoints.emplace(*result);
                // A file read without a title block gets none added.
                if (document.TitleExtension->Data.empty()) result->OmitEmptyTitles = true;
                const std::int64_t after = EstimateSavedSize(*result);
                bool smaller = after >= 0 && inputSize.Exceeds(after);
                if (!smaller && after >= 0) {
                    const std::int64_t before = EstimateSavedSize(document);
                    smaller = before < 0 || after < before;
                }
                if (clearPoints) {
                    if (smaller)
                        clearPoints->Finish();
                    else
                        clearPoints->Stop();
                }
                if (smaller) {
                    for (auto& frame : result->Frames) frame->Owner = &document;
                    document.Frames = std::move(result->Frames);
                    document.GlobalPalette = result->GlobalPalette;
                    document.ScreenFlags = result->ScreenFlags;
                    document.BackgroundIndex = result->BackgroundIndex;
                    document.OmitEmptyTitles = result->OmitEmptyTitles;
                    document.UpdateGlobalUsage();
                }
            }
        } catch (const std::bad_alloc&) {
            reason = "Not enough memory to optimise the animation";
            ok = false;
        }
    }
    if (!ok && error) *error = reason;
    return ok;
}

std::unique_ptr<TGIFData> CloneDocument(const TGIFData& document) {
    try {
        std::unique_ptr<TGIFData> copy = CloneScreen(document);
        for (const auto& source : document.Frames) {
            auto frame = CloneFrame(*source, *copy, true);
            copy->Frames.push_back(std::move(frame));
        }
        return copy;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

std::int64_t EstimateSavedSize(const TGIFData& document) {
    try {
        std::unique_ptr<TGIFData> copy = CloneDocument(document);
        if (!copy) return -1;
        CompactPalettesAtOnce(*copy);
        TCountingStream stream;
        if (!copy->SaveToStream(stream)) return -1;
        return stream.Count;
    } catch (const std::bad_alloc&) {
        return -1;
    }
}
