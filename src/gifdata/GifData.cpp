// The document model: construction, packed flags, frames, palette usage and
// compaction, frame titles.

#include "gifdata/GifData.h"

#include <algorithm>
#include <new>

namespace {

TIOErrorHandler& IOErrorHandler() {
    static TIOErrorHandler handler;
    return handler;
}

TThumbnailRenderer& ThumbnailRenderer() {
    static TThumbnailRenderer renderer;
    return renderer;
}

// Sets or clears mask in a packed byte, touching it only when the value changes.
void SetFlag(std::uint8_t& flags, std::uint8_t mask, bool value) {
    std::uint8_t wanted = value ? std::uint8_t(flags | mask) : std::uint8_t(flags & ~mask);
    if (wanted != flags) flags = wanted;
}

// Replaces the bits of mask (shifted) with value, touching the byte only when it changes.
void SetField(std::uint8_t& flags, std::uint8_t mask, int shift, int value) {
    std::uint8_t wanted = std::uint8_t((flags & ~mask) | ((value << shift) & mask));
    if (wanted != flags) flags = wanted;
}

// Fills the rectangle left, top, right, bottom (right and bottom exclusive) of a 24-bit bitmap.
void FillRect(TBitmap& bitmap, int left, int top, int right, int bottom, TColor color) {
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, bitmap.Width());
    bottom = std::min(bottom, bitmap.Height());
    for (int y = top; y < bottom; ++y) {
        std::uint8_t* p = bitmap.ScanLine(y) + left * 3;
        for (int x = left; x < right; ++x, p += 3) {
            p[0] = std::uint8_t(GetBValue(color));
            p[1] = std::uint8_t(GetGValue(color));
            p[2] = std::uint8_t(GetRValue(color));
        }
    }
}

// One-pixel outline of the same rectangle.
void FrameRect(TBitmap& bitmap, int left, int top, int right, int bottom, TColor color) {
    FillRect(bitmap, left, top, right, top + 1, color);
    FillRect(bitmap, left, bottom - 1, right, bottom, color);
    FillRect(bitmap, left, top, left + 1, bottom, color);
    FillRect(bitmap, right - 1, top, right, bottom, color);
}

TColor EntryColor(const PaletteEntry& e) {
    return RGB(e.Red, e.Green, e.Blue);
}

// The compaction shared by the global and the local palette: the highest used
// slot always fills the lowest hole.
template <typename Move> bool CompactPalette(const TPalette& palette, Move move, int& usedCount) {
    bool moved = false;
    for (int i = 0; i < 256; ++i) {
        if (palette[std::size_t(i)].Used) continue;
        int k = 255;
        while (k > i && !palette[std::size_t(k)].Used) --k;
        if (k == i) break;
        move(k, i);
        moved = true;
    }
    usedCount =
        int(std::count_if(palette.begin(), palette.end(), [](const PaletteEntry& e) { return e.Used; }));
    return moved;
}

} // namespace

void SetIOErrorHandler(TIOErrorHandler handler) {
    IOErrorHandler() = std::move(handler);
}

void ShowIOError(const std::string& reason) {
    if (IOErrorHandler()) IOErrorHandler()(reason);
}

void SetThumbnailRenderer(TThumbnailRenderer renderer) {
    ThumbnailRenderer() = std::move(renderer);
}

int SizeCodeFor(int n) {
    int code = 0;
    while (code < 7 && (2 << code) < n) ++code;
    return code;
}

// ---------------------------------------------------------------------------
// Extensions: flags and copies (the block bodies live with the reader and writer)

void TGIFGraphicControlExtension::SetTransparent(bool value) {
    SetFlag(ControlFlags, 0x01, value);
}

void TGIFGraphicControlExtension::SetDisposal(int value) {
    if (value < 0 || value > 7) return;
    SetField(ControlFlags, 0x1C, 2, value);
}

std::unique_ptr<TGIFExtension> TGIFGraphicControlExtension::Clone() const {
    return std::make_unique<TGIFGraphicControlExtension>(*this);
}

std::unique_ptr<TGIFExtension> TGIFTextExtension::Clone() const {
    return std::make_unique<TGIFTextExtension>(*this);
}

std::unique_ptr<TGIFExtension> TGIFApplicationExtension::Clone() const {
    return std::make_unique<TGIFApplicationExtension>(*this);
}

std::unique_ptr<TGIFExtension> TGIFCommentExtension::Clone() const {
    return std::make_unique<TGIFCommentExtension>(*this);
}

// ---------------------------------------------------------------------------
// TGIFImageData

TGIFImageData::TGIFImageData(TGIFData* owner)
    : Owner(owner), Control(std::make_unique<TGIFGraphicControlExtension>()) {
    Control->SetDisposal(2);
}

TGIFImageData::~TGIFImageData() {
    Control.reset();
    while (!Extensions.empty()) Extensions.pop_back();
}

void TGIFImageData::SetHasLocalTable(bool value) {
    SetFlag(ImageFlags, 0x80, value);
}

void TGIFImageData::SetInterlaced(bool value) {
    SetFlag(ImageFlags, 0x40, value);
}

void TGIFImageData::SetLocalTableSize(int code) {
    if (code < 0 || code > 7) return;
    SetField(ImageFlags, 0x07, 0, code);
}

void TGIFImageData::AllocatePixels() {
    FreePixels();
    std::int64_t n = std::int64_t(Height) * Width;
    if (n <= 0 || n > MaxFramePixels) return;
    try {
        Pixels.assign(std::size_t(n), 1);
    } catch (const std::bad_alloc&) {
        Pixels.clear();
        return;
    }
    PixelCount = std::int32_t(n);
}

void TGIFImageData::FreePixels() {
    std::vector<std::uint8_t>().swap(Pixels);
    PixelCount = 0;
}

std::uint8_t TGIFImageData::IsColorUsed(int index) const {
    if (HasLocalTable()) return index < 0 || index > 255 ? 0 : LocalPalette[std::size_t(index)].Used;
    return Owner ? Owner->IsGlobalColorUsed(index) : 0;
}

TColor TGIFImageData::Color(int index) const {
    if (HasLocalTable())
        return index < 0 || index > 255 ? NoColor : EntryColor(LocalPalette[std::size_t(index)]);
    return Owner ? Owner->GlobalColor(index) : NoColor;
}

void TGIFImageData::UpdateLocalUsage() {
    if (!HasLocalTable()) return;
    for (PaletteEntry& e : LocalPalette) e.Used = 0;
    for (std::uint8_t p : Pixels) LocalPalette[p].Used = 1;
    if (Control->Transparent()) LocalPalette[Control->TransparentIndex].Used = 1;
}

void TGIFImageData::MoveColor(int from, int to) {
    if (from < 0 || from > 255 || to < 0 || to > 255) return;
    if (HasLocalTable()) {
        if (from == to) return;
        LocalPalette[std::size_t(to)] = LocalPalette[std::size_t(from)];
        LocalPalette[std::size_t(from)].Used = 0;
    }
    std::replace(Pixels.begin(), Pixels.end(), std::uint8_t(from), std::uint8_t(to));
    if (Control->TransparentIndex == from) Control->TransparentIndex = std::uint8_t(to);
}

bool TGIFImageData::CompactLocalPalette() {
    if (!HasLocalTable()) return false;
    int used = 0;
    bool moved = CompactPalette(
        LocalPalette, [this](int from, int to) { MoveColor(from, to); }, used);
    SetLocalTableSize(SizeCodeFor(used));
    return moved;
}

void TGIFImageData::RenderThumbnail() {
    if (ThumbnailRenderer()) ThumbnailRenderer()(*this);
}

// ---------------------------------------------------------------------------
// TGIFData

TGIFData::TGIFData()
    : ThumbnailTemplate(std::make_unique<TBitmap>(128, 100, pf24bit)),
      TitleExtension(std::make_unique<TGIFApplicationExtension>()) {
    TitleExtension->Identifier = "KESTRALL";
    TitleExtension->AuthCode = "1.0";
    // The card behind every thumbnail: a drop shadow, then a light face with a grey outline,
    // on white like the list it stands in (a fresh bitmap would leave black margins).
    TBitmap& card = *ThumbnailTemplate;
    card.Fill(RGB(255, 255, 255));
    FillRect(card, 5, 5, 126, 98, RGB(128, 128, 128));
    FillRect(card, 2, 2, 124, 96, RGB(230, 230, 230));
    FrameRect(card, 2, 2, 124, 96, RGB(128, 128, 128));
}

TGIFData::~TGIFData() {
    DestroyFrames();
}

void TGIFData::DestroyFrames() {
    while (!Frames.empty()) Frames.pop_back(); // last first
}

void TGIFData::SetGlobalSorted(bool value) {
    SetFlag(ScreenFlags, 0x08, value);
}

void TGIFData::SetGlobalTableSize(int code) {
    if (code < 0 || code > 7) return;
    SetField(ScreenFlags, 0x07, 0, code);
}

TGIFImageData* TGIFData::AddFrame(int width, int height) {
    auto frame = std::make_unique<TGIFImageData>(this);
    frame->Width = std::uint16_t(std::clamp(width, 0, 65535));
    frame->Height = std::uint16_t(std::clamp(height, 0, 65535));
    frame->AllocatePixels();
    TGIFImageData* added = frame.get();
    Frames.push_back(std::move(frame));
    added->RenderThumbnail();
    return added;
}

bool TGIFData::DeleteFrame(int index) {
    if (index < 0 || index >= int(Frames.size())) return false;
    Frames.erase(Frames.begin() + index);
    return true;
}

bool TGIFData::MoveFrame(int from, int to) {
    int count = int(Frames.size());
    if (from < 0 || from >= count || to < 0 || to >= count || from == to) return false;
    std::unique_ptr<TGIFImageData> frame = std::move(Frames[std::size_t(from)]);
    Frames.erase(Frames.begin() + from);
    Frames.insert(Frames.begin() + to, std::move(frame));
    return true;
}

void TGIFData::RefreshThumbnails() {
    for (auto& frame : Frames) frame->RenderThumbnail();
}

void TGIFData::UpdateGlobalUsage() {
    for (PaletteEntry& e : GlobalPalette) e.Used = 0;
    for (const auto& frame : Frames) {
        if (frame->HasLocalTable()) continue;
        for (std::uint8_t p : frame->Pixels) GlobalPalette[p].Used = 1;
        if (frame->Control->Transparent()) GlobalPalette[frame->Control->TransparentIndex].Used = 1;
    }
    GlobalPalette[BackgroundIndex].Used = 1;
}

bool TGIFData::CompactPalettes() {
    bool moved = CompactGlobalPalette();
    for (auto& frame : Frames) moved = frame->CompactLocalPalette() || moved;
    return moved;
}

bool TGIFData::CompactGlobalPalette() {
    if (!HasGlobalTable()) return false;
    int used = 0;
    bool moved = CompactPalette(
        GlobalPalette, [this](int from, int to) { MoveGlobalColor(from, to); }, used);
    SetGlobalTableSize(SizeCodeFor(used));
    return moved;
}

void TGIFData::MoveGlobalColor(int from, int to) {
    if (from < 0 || from > 255 || to < 0 || to > 255 || from == to) return;
    GlobalPalette[std::size_t(to)] = GlobalPalette[std::size_t(from)];
    GlobalPalette[std::size_t(from)].Used = 0;
    for (auto& frame : Frames) {
        if (frame->HasLocalTable()) continue;
        std::replace(frame->Pixels.begin(), frame->Pixels.end(), std::uint8_t(from), std::uint8_t(to));
        if (frame->Control->TransparentIndex == from) frame->Control->TransparentIndex = std::uint8_t(to);
    }
    if (BackgroundIndex == from) BackgroundIndex = std::uint8_t(to);
}

void TGIFData::PackTitles() {
    std::string data;
    for (const auto& frame : Frames) {
        data += frame->Title;
        data += '\0';
    }
    if (data.empty()) return;
    data += '\x01';
    TitleExtension->Data = std::move(data);
}

void TGIFData::UnpackTitles() {
    const std::string& data = TitleExtension->Data;
    std::size_t end = data.find('\x01');
    if (end == std::string::npos) return;
    std::string rest = data.substr(0, end);
    for (std::size_t i = 0; !rest.empty() && i < Frames.size(); ++i) {
        std::size_t zero = rest.find('\0');
        if (zero != std::string::npos) {
            Frames[i]->Title = rest.substr(0, zero);
            rest.erase(0, zero + 1);
        } else {
            Frames[i]->Title.clear();
            rest.clear();
        }
    }
}

std::uint8_t TGIFData::IsGlobalColorUsed(int index) const {
    return index < 0 || index > 255 ? 0 : GlobalPalette[std::size_t(index)].Used;
}

TColor TGIFData::GlobalColor(int index) const {
    return index < 0 || index > 255 ? NoColor : EntryColor(GlobalPalette[std::size_t(index)]);
}

TColor TGIFData::BackgroundColor() const {
    return HasGlobalTable() ? GlobalColor(BackgroundIndex) : NoColor;
}
