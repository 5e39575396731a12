// The animation optimiser: every composited frame keeps exactly its pixels
// (checked by our own reference player, by gifsicle's gifdiff and by
// ImageMagick's -coalesce), delays, loop count, titles and comments stay, the
// files get smaller, and bad requests leave the document untouched.

#include <gtest/gtest.h>

#include "support/ShellRun.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <random>
#include <unistd.h>

#include "gifdata/GifData.h"
#include "gifdata/GifOptimizer.h"

namespace {

namespace fs = std::filesystem;

// ---- A reference player, written plainly: RGBA screens as a browser shows them.

constexpr std::uint32_t Transparent = 0x01000000u; // colours are 0x00RRGGBB

std::vector<std::vector<std::uint32_t>> Composite(const TGIFData& doc) {
    const int w = doc.ScreenWidth, h = doc.ScreenHeight;
    std::vector<std::uint32_t> screen(std::size_t(w) * h, Transparent), saved;
    std::vector<std::vector<std::uint32_t>> shown;
    for (const auto& f : doc.Frames) {
        if (!f->HasPixels()) continue;
        if (f->Control->Disposal() == 3) saved = screen;
        for (int y = 0; y < f->Height; ++y)
            for (int x = 0; x < f->Width; ++x) {
                const int sx = f->Left + x, sy = f->Top + y;
                const std::uint8_t index = f->Pixels[std::size_t(y) * f->Width + x];
                if (sx >= w || sy >= h) continue;
                if (f->Control->Transparent() && index == f->Control->TransparentIndex) continue;
                const PaletteEntry& e =
                    f->HasLocalTable() ? f->LocalPalette[index] : doc.GlobalPalette[index];
                screen[std::size_t(sy) * w + sx] = std::uint32_t(e.Red) << 16 | e.Green << 8 | e.Blue;
            }
        shown.push_back(screen);
        if (f->Control->Disposal() == 2) {
            for (int y = f->Top; y < std::min(h, f->Top + f->Height); ++y)
                for (int x = f->Left; x < std::min(w, f->Left + f->Width); ++x)
                    screen[std::size_t(y) * w + x] = Transparent;
        } else if (f->Control->Disposal() == 3) {
            screen = saved;
        }
    }
    return shown;
}

std::vector<std::uint8_t> SaveBytes(TGIFData& doc) {
    doc.CompactPalettes();
    TMemoryStream stream;
    EXPECT_TRUE(doc.SaveToStream(stream));
    return stream.TakeBytes();
}

// Saves, reloads, and returns the reloaded document: what a reader of the file sees.
std::unique_ptr<TGIFData> ThroughFile(TGIFData& doc) {
    std::vector<std::uint8_t> bytes = SaveBytes(doc);
    auto loaded = std::make_unique<TGIFData>();
    TMemoryStream stream(std::move(bytes));
    EXPECT_TRUE(loaded->LoadFromStream(stream));
    return loaded;
}

std::vector<std::uint16_t> Delays(const TGIFData& doc) {
    std::vector<std::uint16_t> delays;
    for (const auto& f : doc.Frames) delays.push_back(f->Control->DelayTime);
    return delays;
}

// ---- Building synthetic animations.

void SetColor(TPalette& palette, int index, std::uint32_t rgb) {
    palette[std::size_t(index)] = {std::uint8_t(rgb >> 16), std::uint8_t(rgb >> 8), std::uint8_t(rgb), 0};
}

TGIFData* NewDocument(std::unique_ptr<TGIFData>& holder, int w, int h) {
    holder = std::make_unique<TGIFData>();
    holder->ScreenWidth = std::uint16_t(w);
    holder->ScreenHeight = std::uint16_t(h);
    holder->ScreenFlags = 0xF7; // global table of 256
    for (int i = 0; i < 256; ++i) SetColor(holder->GlobalPalette, i, std::uint32_t(i * 0x010305 + 0x102030));
    holder->Looping = true;
    holder->LoopCount = 3;
    return holder.get();
}

TGIFImageData& AddRect(TGIFData& doc, int left, int top, int w, int h, int disposal, int delay = 7) {
    TGIFImageData* f = doc.AddFrame(w, h);
    f->Left = std::uint16_t(left);
    f->Top = std::uint16_t(top);
    f->Control->SetDisposal(disposal);
    f->Control->DelayTime = std::uint16_t(delay);
    return *f;
}

void Fill(TGIFImageData& f, std::uint8_t index) {
    std::fill(f.Pixels.begin(), f.Pixels.end(), index);
}

void Box(TGIFImageData& f, int x0, int y0, int x1, int y1, std::uint8_t index) {
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) f.Pixels[std::size_t(y) * f.Width + x] = index;
}

// A sprite moving over a flat background, with the given disposals.
std::unique_ptr<TGIFData> SpriteAnimation(const std::vector<int>& disposals) {
    std::unique_ptr<TGIFData> holder;
    TGIFData& doc = *NewDocument(holder, 40, 30);
    Fill(AddRect(doc, 0, 0, 40, 30, disposals[0]), 5);
    for (std::size_t i = 1; i < disposals.size(); ++i) {
        TGIFImageData& f = AddRect(doc, int(3 * i), int(2 * i), 8, 6, disposals[i], int(5 + i));
        Fill(f, std::uint8_t(20 + i));
        Box(f, 2, 2, 5, 4, 9);
    }
    doc.UpdateGlobalUsage();
    return holder;
}

// A random animation: frames at random places, random disposals, some with a
// transparent index, some with a local table, some interlaced.
std::unique_ptr<TGIFData> RandomAnimation(unsigned seed) {
    std::mt19937 random(seed);
    auto pick = [&random](int n) { return int(random() % unsigned(n)); };
    std::unique_ptr<TGIFData> holder;
    const int w = 8 + pick(30), h = 8 + pick(30);
    TGIFData& doc = *NewDocument(holder, w, h);
    const int frames = 1 + pick(8);
    for (int i = 0; i < frames; ++i) {
        const int fw = 1 + pick(w), fh = 1 + pick(h);
        TGIFImageData& f = AddRect(doc, pick(w - fw + 1), pick(h - fh + 1), fw, fh, pick(4), i + 1);
        const bool local = pick(3) == 0;
        const int colors = 2 + pick(6);
        if (local) {
            f.SetHasLocalTable(true);
            f.SetLocalTableSize(7);
            for (int c = 0; c < 256; ++c) SetColor(f.LocalPalette, c, std::uint32_t(random() & 0xFFFFFF));
            SetColor(f.LocalPalette, 1, 0x102030); // shared with the global table's slot 0
        }
        const int base = pick(250);
        for (std::size_t p = 0; p < f.Pixels.size(); ++p)
            f.Pixels[p] = std::uint8_t(pick(4) == 0 ? base + pick(colors) : (p / 3) % 2 ? base : base + 1);
        if (pick(2) == 0) {
            f.Control->SetTransparent(true);
            f.Control->TransparentIndex = std::uint8_t(base + pick(colors));
        }
        f.SetInterlaced(pick(4) == 0);
        if (pick(5) == 0) {
            auto comment = std::make_unique<TGIFCommentExtension>();
            comment->Text = "frame " + std::to_string(i);
            f.Extensions.push_back(std::move(comment));
        }
        f.Title = std::to_string(i).insert(0, 1, 't');
        if (pick(4) == 0 && i > 0) { // the same frame again
            TGIFImageData& again = AddRect(doc, f.Left, f.Top, fw, fh, 1, 3);
            again.Pixels = f.Pixels;
            again.ImageFlags = f.ImageFlags;
            again.LocalPalette = f.LocalPalette;
        }
    }
    doc.UpdateGlobalUsage();
    for (auto& f : doc.Frames) f->UpdateLocalUsage();
    return holder;
}

// Optimises a copy and checks the file it saves against the original's file.
void ExpectExact(TGIFData& original, int level, const std::string& what) {
    std::unique_ptr<TGIFData> before = ThroughFile(original);
    std::unique_ptr<TGIFData> optimized = CloneDocument(*before);
    std::string error;
    ASSERT_TRUE(OptimizeAnimation(*optimized, level, &error)) << what << ": " << error;
    std::unique_ptr<TGIFData> after = ThroughFile(*optimized);
    EXPECT_EQ(Composite(*after), Composite(*before)) << what << " level " << level;
    EXPECT_EQ(Delays(*after), Delays(*before)) << what;
    EXPECT_EQ(after->Frames.size(), before->Frames.size()) << what;
    EXPECT_EQ(after->LoopCount, before->LoopCount);
    EXPECT_EQ(after->Looping, before->Looping);
    for (std::size_t i = 0; i < std::min(after->Frames.size(), before->Frames.size()); ++i) {
        EXPECT_EQ(after->Frames[i]->Title, before->Frames[i]->Title) << what;
        EXPECT_EQ(after->Frames[i]->Extensions.size(), before->Frames[i]->Extensions.size()) << what;
    }
}

TEST(GifOptimizer, RandomAnimationsCompositeExactlyAsBeforeAtEveryLevel) {
    for (unsigned seed = 1; seed <= 300; ++seed) {
        std::unique_ptr<TGIFData> doc = RandomAnimation(seed);
        for (int level = OptimizeLevelMin; level <= OptimizeLevelMax; ++level)
            ExpectExact(*doc, level, "seed " + std::to_string(seed));
        if (HasFailure()) break;
    }
}

TEST(GifOptimizer, EveryDisposalMixStaysExact) {
    const std::vector<std::vector<int>> mixes = {
        {0, 0, 0, 0}, {1, 1, 1, 1}, {2, 2, 2, 2}, {1, 3, 3, 3}, {0, 1, 2, 3, 0, 3, 2, 1}, {3, 2, 3, 1, 3}};
    for (const auto& mix : mixes) {
        std::unique_ptr<TGIFData> doc = SpriteAnimation(mix);
        for (int level = OptimizeLevelMin; level <= OptimizeLevelMax; ++level)
            ExpectExact(*doc, level, "mix");
    }
}

TEST(GifOptimizer, ASpriteOnAFlatBackgroundShrinksToTheChangedRectangles) {
    std::unique_ptr<TGIFData> doc = SpriteAnimation({1, 1, 1, 1, 1, 1});
    // Every frame after the first redraws the whole screen with the sprite on it.
    std::unique_ptr<TGIFData> full = std::make_unique<TGIFData>();
    {
        std::unique_ptr<TGIFData> shown = ThroughFile(*doc);
        auto screens = Composite(*shown);
        std::unique_ptr<TGIFData> holder;
        TGIFData& flat = *NewDocument(holder, 40, 30);
        flat.ScreenFlags = 0xF7;
        for (const auto& screen : screens) {
            TGIFImageData& f = AddRect(flat, 0, 0, 40, 30, 1);
            for (std::size_t p = 0; p < screen.size(); ++p)
                for (int i = 0; i < 256; ++i) {
                    const PaletteEntry& e = flat.GlobalPalette[std::size_t(i)];
                    if ((std::uint32_t(e.Red) << 16 | e.Green << 8 | e.Blue) == screen[p]) {
                        f.Pixels[p] = std::uint8_t(i);
                        break;
                    }
                }
        }
        flat.UpdateGlobalUsage();
        full = std::move(holder);
    }
    const std::size_t fullSize = SaveBytes(*full).size();
    std::unique_ptr<TGIFData> copy = CloneDocument(*full);
    ASSERT_TRUE(OptimizeAnimation(*copy, 1));
    ASSERT_EQ(copy->Frames.size(), 6u);
    for (std::size_t i = 1; i < copy->Frames.size(); ++i) {
        // Only the old and the new sprite position are drawn.
        EXPECT_LE(int(copy->Frames[i]->Width), 3 + 8) << i;
        EXPECT_LE(int(copy->Frames[i]->Height), 2 + 6) << i;
    }
    EXPECT_LT(SaveBytes(*copy).size() * 2, fullSize);
    ExpectExact(*full, 3, "full frames");
}

TEST(GifOptimizer, AFrameThatChangesNothingKeepsItsPlaceAndDelay) {
    std::unique_ptr<TGIFData> holder;
    TGIFData& doc = *NewDocument(holder, 10, 10);
    Fill(AddRect(doc, 0, 0, 10, 10, 1, 10), 3);
    Fill(AddRect(doc, 2, 2, 4, 4, 1, 250), 3); // draws what is there already
    Fill(AddRect(doc, 0, 0, 10, 10, 1, 20), 3);
    doc.UpdateGlobalUsage();
    std::unique_ptr<TGIFData> copy = CloneDocument(doc);
    ASSERT_TRUE(OptimizeAnimation(*copy, 3));
    ASSERT_EQ(copy->Frames.size(), 3u);
    EXPECT_EQ(Delays(*copy), (std::vector<std::uint16_t>{10, 250, 20}));
    EXPECT_EQ(copy->Frames[1]->Width * copy->Frames[1]->Height, 1);
    EXPECT_EQ(copy->Frames[2]->Width * copy->Frames[2]->Height, 1);
    ExpectExact(doc, 3, "no change");
}

TEST(GifOptimizer, TransparentAreasOfTheInputStayTransparent) {
    std::unique_ptr<TGIFData> holder;
    TGIFData& doc = *NewDocument(holder, 12, 12);
    TGIFImageData& first = AddRect(doc, 0, 0, 12, 12, 2);
    Fill(first, 0);
    Box(first, 3, 3, 9, 9, 4);
    first.Control->SetTransparent(true); // index 0: a ring of transparency around a square
    first.Control->TransparentIndex = 0;
    TGIFImageData& second = AddRect(doc, 6, 6, 6, 6, 1);
    Fill(second, 7);
    doc.UpdateGlobalUsage();
    for (int level = 1; level <= 3; ++level) ExpectExact(doc, level, "transparent");
    std::unique_ptr<TGIFData> copy = CloneDocument(doc);
    ASSERT_TRUE(OptimizeAnimation(*copy, 3));
    // The first frame draws only the square; the second clears what the first drew.
    EXPECT_EQ(copy->Frames[0]->Left, 3);
    EXPECT_EQ(copy->Frames[0]->Width, 6);
}

TEST(GifOptimizer, FramesWithTheirOwnTablesMoveToTheGlobalTableWhenTheyFit) {
    std::unique_ptr<TGIFData> holder;
    TGIFData& doc = *NewDocument(holder, 16, 16);
    for (int i = 0; i < 4; ++i) {
        TGIFImageData& f = AddRect(doc, 0, 0, 16, 16, 1);
        f.SetHasLocalTable(true);
        f.SetLocalTableSize(7);
        for (int c = 0; c < 256; ++c) SetColor(f.LocalPalette, c, std::uint32_t((c + i) % 8 * 0x0A0B0C));
        for (std::size_t p = 0; p < f.Pixels.size(); ++p)
            f.Pixels[p] = std::uint8_t((p + std::size_t(i)) % 8);
        f.Control->SetTransparent(true); // a transparent index no pixel uses
        f.Control->TransparentIndex = 200;
    }
    doc.UpdateGlobalUsage();
    for (auto& f : doc.Frames) f->UpdateLocalUsage();
    std::unique_ptr<TGIFData> copy = CloneDocument(doc);
    ASSERT_TRUE(OptimizeAnimation(*copy, 2));
    for (const auto& f : copy->Frames) EXPECT_FALSE(f->HasLocalTable());
    EXPECT_TRUE(copy->HasGlobalTable());
    EXPECT_LE(2 << copy->GlobalTableSize(), 32); // the colours drawn, each once
    EXPECT_LT(SaveBytes(*copy).size(), SaveBytes(doc).size());
    ExpectExact(doc, 2, "local tables");
}

TEST(GifOptimizer, HigherLevelsAreNeverLargerOnTheseAnimations) {
    for (unsigned seed = 1; seed <= 40; ++seed) {
        std::unique_ptr<TGIFData> doc = RandomAnimation(seed);
        std::unique_ptr<TGIFData> two = CloneDocument(*doc), three = CloneDocument(*doc);
        ASSERT_TRUE(OptimizeAnimation(*two, 2));
        ASSERT_TRUE(OptimizeAnimation(*three, 3));
        EXPECT_LE(SaveBytes(*three).size(), SaveBytes(*two).size()) << seed;
    }
}

TEST(GifOptimizer, ALevelOutsideOneToThreeIsRefusedAndNothingChanges) {
    std::unique_ptr<TGIFData> doc = SpriteAnimation({1, 1, 1});
    const std::vector<std::uint8_t> bytes = SaveBytes(*doc);
    for (int level : {0, 4, -1}) {
        std::string error;
        EXPECT_FALSE(OptimizeAnimation(*doc, level, &error));
        EXPECT_EQ(error, "The optimisation level must be 1, 2 or 3");
    }
    EXPECT_EQ(SaveBytes(*doc), bytes);
}

TEST(GifOptimizer, AFrameOutsideTheScreenIsRefusedAndNothingChanges) {
    std::unique_ptr<TGIFData> doc = SpriteAnimation({1, 1, 1});
    doc->Frames[2]->Left = 39; // 8 wide on a 40-wide screen
    const std::vector<std::uint8_t> bytes = SaveBytes(*doc);
    std::string error;
    EXPECT_FALSE(OptimizeAnimation(*doc, 3, &error));
    EXPECT_EQ(error, "A frame lies outside the logical screen");
    EXPECT_EQ(SaveBytes(*doc), bytes);
}

TEST(GifOptimizer, AnEmptyDocumentAndFramesWithoutPixelsAreKept) {
    TGIFData empty;
    EXPECT_TRUE(OptimizeAnimation(empty, 3));
    EXPECT_TRUE(empty.Frames.empty());

    std::unique_ptr<TGIFData> doc = SpriteAnimation({1, 1});
    TGIFImageData* bare = doc->AddFrame(0, 0);
    bare->Control->DelayTime = 77;
    bare->Title = "bare";
    TGIFImageData& last = AddRect(*doc, 1, 1, 3, 3, 1);
    Fill(last, 30);
    ASSERT_TRUE(OptimizeAnimation(*doc, 3));
    ASSERT_EQ(doc->Frames.size(), 4u);
    EXPECT_FALSE(doc->Frames[2]->HasPixels());
    EXPECT_EQ(doc->Frames[2]->Control->DelayTime, 77);
    EXPECT_EQ(doc->Frames[2]->Title, "bare");
}

TEST(GifOptimizer, AScreenBeyondTheLimitIsRefused) {
    TGIFData doc;
    doc.ScreenWidth = 65535;
    doc.ScreenHeight = 65535;
    doc.AddFrame(1, 1);
    std::string error;
    EXPECT_FALSE(OptimizeAnimation(doc, 1, &error));
    EXPECT_EQ(error, "The logical screen is too large to optimise");
    EXPECT_EQ(doc.Frames[0]->Width, 1);
}

TEST(GifOptimizer, CompactingAtOnceGivesWhatCompactPalettesGives) {
    for (unsigned seed = 1; seed <= 60; ++seed) {
        std::unique_ptr<TGIFData> doc = RandomAnimation(seed);
        doc->BackgroundIndex = std::uint8_t(seed * 7);
        doc->UpdateGlobalUsage();
        std::unique_ptr<TGIFData> slow = CloneDocument(*doc), fast = CloneDocument(*doc);
        slow->CompactPalettes();
        CompactPalettesAtOnce(*fast);
        TMemoryStream a, b;
        ASSERT_TRUE(slow->SaveToStream(a));
        ASSERT_TRUE(fast->SaveToStream(b));
        EXPECT_EQ(a.Bytes(), b.Bytes()) << seed;
        EXPECT_EQ(slow->BackgroundIndex, fast->BackgroundIndex) << seed;
        EXPECT_EQ(slow->GlobalPalette, fast->GlobalPalette) << seed;
        for (std::size_t i = 0; i < slow->Frames.size(); ++i) {
            EXPECT_EQ(slow->Frames[i]->Control->TransparentIndex, fast->Frames[i]->Control->TransparentIndex);
            EXPECT_EQ(slow->Frames[i]->LocalPalette, fast->Frames[i]->LocalPalette);
        }
    }
}

TEST(GifOptimizer, EstimateSavedSizeMatchesASaveAndLeavesTheDocumentAlone) {
    std::unique_ptr<TGIFData> doc = SpriteAnimation({1, 2, 3});
    const std::uint8_t flags = doc->ScreenFlags;
    const std::int64_t estimate = EstimateSavedSize(*doc);
    EXPECT_EQ(doc->ScreenFlags, flags); // the copy was compacted, not the document
    EXPECT_EQ(estimate, std::int64_t(SaveBytes(*doc).size()));
}

// ---- The coding of unchanged pixels, code widths and the title block.

std::uint32_t PictureColor(int i) {
    return std::uint32_t(i * 0x0B0703 + 0x203040) & 0xFFFFFF;
}

// Full-screen frames, each with a local table of 256 colours, as a recorder
// that quantises every frame on its own writes them: a picture of 256 colours
// in which a few pixels change per frame, with the slots shuffled per frame so
// that the unchanged pixels use other slots each time.
std::unique_ptr<TGIFData> RecordedAnimation(unsigned seed, int frames, int changes) {
    std::mt19937 random(seed);
    std::unique_ptr<TGIFData> holder;
    const int w = 24, h = 20;
    TGIFData& doc = *NewDocument(holder, w, h);
    std::vector<int> picture(std::size_t(w) * h);
    for (std::size_t p = 0; p < picture.size(); ++p) picture[p] = p < 256 ? int(p) : int(random() % 256);
    std::shuffle(picture.begin(), picture.end(), random);
    std::array<int, 256> slot;
    for (int i = 0; i < 256; ++i) slot[std::size_t(i)] = i;
    for (int i = 0; i < frames; ++i) {
        TGIFImageData& f = AddRect(doc, 0, 0, w, h, 1, 4 + i);
        f.SetHasLocalTable(true);
        f.SetLocalTableSize(7);
        if (i > 0) {
            for (int c = 0; c < changes; ++c) picture[random() % picture.size()] = int(random() % 256);
            std::shuffle(slot.begin(), slot.end(), random);
        }
        for (int c = 0; c < 256; ++c) SetColor(f.LocalPalette, slot[std::size_t(c)], PictureColor(c));
        for (std::size_t p = 0; p < picture.size(); ++p)
            f.Pixels[p] = std::uint8_t(slot[std::size_t(picture[p])]);
        f.UpdateLocalUsage();
    }
    doc.UpdateGlobalUsage();
    return holder;
}

TEST(GifOptimizerCoding, RequantisedFramesOfManyColoursStayExactAtEveryLevel) {
    for (unsigned seed = 1; seed <= 6; ++seed)
        for (int changes : {1, 12, 200}) {
            std::unique_ptr<TGIFData> doc = RecordedAnimation(seed, 5, changes);
            for (int level = OptimizeLevelMin; level <= OptimizeLevelMax; ++level)
                ExpectExact(*doc, level,
                            "seed " + std::to_string(seed) + " changes " + std::to_string(changes));
        }
}

TEST(GifOptimizerCoding, UnchangedPixelsOfAllTheTableColoursCostLessThanTheRecording) {
    std::unique_ptr<TGIFData> doc = RecordedAnimation(7, 8, 6);
    const std::size_t recorded = SaveBytes(*doc).size();
    std::unique_ptr<TGIFData> copy = CloneDocument(*doc);
    ASSERT_TRUE(OptimizeAnimation(*copy, 3));
    std::unique_ptr<TGIFData> after = ThroughFile(*copy);
    ASSERT_EQ(after->Frames.size(), 8u);
    // Frames after the first draw a few pixels: most of their rectangle is
    // left transparent, and the file shrinks to well under half.
    for (std::size_t i = 1; i < after->Frames.size(); ++i)
        EXPECT_TRUE(after->Frames[i]->Control->Transparent()) << i;
    EXPECT_LT(SaveBytes(*after).size() * 2, recorded);
}

// The minimum code size byte of each image in a saved file.
std::vector<int> MinimumCodeSizes(const std::vector<std::uint8_t>& file) {
    std::vector<int> sizes;
    std::size_t at = 13;
    if (file[10] & 0x80) at += 3 * (std::size_t(2) << (file[10] & 7));
    while (at < file.size() && file[at] != 0x3B) {
        if (file[at] == 0x21) {
            at += 2;
            while (file[at] != 0) at += file[at] + 1u;
            ++at;
        } else if (file[at] == 0x2C) {
            const std::uint8_t flags = file[at + 9];
            at += 10;
            if (flags & 0x80) at += 3 * (std::size_t(2) << (flags & 7));
            sizes.push_back(file[at++]);
            while (file[at] != 0) at += file[at] + 1u;
            ++at;
        } else {
            ADD_FAILURE() << "unexpected block " << int(file[at]);
            break;
        }
    }
    return sizes;
}

TEST(GifOptimizerCoding, UnchangedPixelsInHighSlotsDoNotWidenTheCodes) {
    // A picture of 200 colours; the next frame changes two pixels far apart to
    // one new colour, so its rectangle holds many unchanged pixels of every slot.
    std::unique_ptr<TGIFData> holder;
    TGIFData& doc = *NewDocument(holder, 20, 20);
    TGIFImageData& first = AddRect(doc, 0, 0, 20, 20, 1);
    for (std::size_t p = 0; p < first.Pixels.size(); ++p) first.Pixels[p] = std::uint8_t(p % 200);
    TGIFImageData& second = AddRect(doc, 0, 0, 20, 20, 1);
    second.Pixels = first.Pixels;
    second.Pixels[2 * 20 + 3] = 250;
    second.Pixels[15 * 20 + 16] = 250;
    doc.UpdateGlobalUsage();
    ExpectExact(doc, 3, "two pixels");

    std::unique_ptr<TGIFData> copy = CloneDocument(doc);
    ASSERT_TRUE(OptimizeAnimation(*copy, 3));
    ASSERT_EQ(copy->Frames.size(), 2u);
    EXPECT_EQ(copy->Frames[1]->Width, 14);
    EXPECT_EQ(copy->Frames[1]->Height, 14);
    // One drawn colour and the transparent slot: the narrowest codes there are.
    const std::vector<int> sizes = MinimumCodeSizes(SaveBytes(*copy));
    ASSERT_EQ(sizes.size(), 2u);
    EXPECT_EQ(sizes[0], 8);
    EXPECT_EQ(sizes[1], 2);
}

TEST(GifOptimizerCoding, FramesDrawingFewColoursGetTheLowSlotsOfAManyColouredTable) {
    // A first frame of 240 colours, then frames that each draw a few of its
    // highest colours in a small box: their colours go to the lowest slots
    // of the shared table, so their codes are narrow.
    std::unique_ptr<TGIFData> holder;
    TGIFData& doc = *NewDocument(holder, 32, 32);
    TGIFImageData& first = AddRect(doc, 0, 0, 32, 32, 1);
    for (std::size_t p = 0; p < first.Pixels.size(); ++p) first.Pixels[p] = std::uint8_t(p % 240);
    std::vector<std::uint8_t> screen = first.Pixels;
    for (int i = 0; i < 5; ++i) {
        TGIFImageData& f = AddRect(doc, 0, 0, 32, 32, 1);
        for (int y = 10; y < 14; ++y)
            for (int x = 4 * i; x < 4 * i + 4; ++x)
                screen[std::size_t(y) * 32 + x] = std::uint8_t(236 + (x + y + i) % 4);
        f.Pixels = screen;
    }
    doc.UpdateGlobalUsage();
    ExpectExact(doc, 3, "few colours");
    std::unique_ptr<TGIFData> copy = CloneDocument(doc);
    ASSERT_TRUE(OptimizeAnimation(*copy, 3));
    const std::vector<int> sizes = MinimumCodeSizes(SaveBytes(*copy));
    ASSERT_EQ(sizes.size(), 6u);
    EXPECT_EQ(sizes[0], 8);
    for (std::size_t i = 1; i < sizes.size(); ++i) EXPECT_LE(sizes[i], 3) << "frame " << i;
}

TEST(GifOptimizer, AnAnimationItCannotShrinkIsLeftByteForByte) {
    // One frame of noise over every colour of the table: no coding is smaller.
    std::unique_ptr<TGIFData> holder;
    TGIFData& doc = *NewDocument(holder, 16, 16);
    TGIFImageData& frame = AddRect(doc, 0, 0, 16, 16, 1);
    std::mt19937 random(5);
    for (std::size_t p = 0; p < frame.Pixels.size(); ++p)
        frame.Pixels[p] = std::uint8_t(p < 256 ? p : random());
    std::shuffle(frame.Pixels.begin(), frame.Pixels.end(), random);
    frame.Title = "noise"; // the title block stays either way
    doc.UpdateGlobalUsage();
    std::unique_ptr<TGIFData> loaded = ThroughFile(doc);
    const std::vector<std::uint8_t> before = SaveBytes(*CloneDocument(*loaded));
    std::string error;
    ASSERT_TRUE(OptimizeAnimation(*loaded, 3, &error)) << error;
    EXPECT_EQ(SaveBytes(*loaded), before);
}

bool HasTitleBlock(const std::vector<std::uint8_t>& file) {
    const std::string text(file.begin(), file.end());
    return text.find("KESTRALL1.0") != std::string::npos;
}

TEST(GifOptimizerTitles, AnAnimationReadWithoutTitlesGetsNoTitleBlock) {
    std::unique_ptr<TGIFData> doc = SpriteAnimation({1, 1, 1});
    for (auto& f : doc->Frames) f->Title.clear();
    std::unique_ptr<TGIFData> plain = CloneDocument(*doc);
    EXPECT_TRUE(HasTitleBlock(SaveBytes(*plain))); // an ordinary save keeps writing it
    ASSERT_TRUE(OptimizeAnimation(*doc, 2));
    const std::vector<std::uint8_t> bytes = SaveBytes(*doc);
    EXPECT_FALSE(HasTitleBlock(bytes));
    TGIFData reread;
    TMemoryStream stream{std::vector<std::uint8_t>(bytes)};
    ASSERT_TRUE(reread.LoadFromStream(stream));
    ASSERT_EQ(reread.Frames.size(), 3u);
    for (const auto& f : reread.Frames) EXPECT_EQ(f->Title, "");

    // A title given afterwards is written.
    doc->Frames[1]->Title = "middle";
    std::unique_ptr<TGIFData> titled = ThroughFile(*doc);
    EXPECT_EQ(titled->Frames[1]->Title, "middle");
}

TEST(GifOptimizerTitles, ATitleBlockReadFromTheFileStaysEvenWithEmptyTitles) {
    std::unique_ptr<TGIFData> doc = SpriteAnimation({1, 1, 1});
    for (auto& f : doc->Frames) f->Title.clear();
    std::unique_ptr<TGIFData> loaded = ThroughFile(*doc); // the file carries the block
    ASSERT_FALSE(loaded->TitleExtension->Data.empty());
    ASSERT_TRUE(OptimizeAnimation(*loaded, 3));
    EXPECT_TRUE(HasTitleBlock(SaveBytes(*loaded)));
}

TEST(GifOptimizer, OptimisingTwiceStaysExactAndDoesNotGrow) {
    for (unsigned seed = 1; seed <= 40; ++seed) {
        std::unique_ptr<TGIFData> doc = RandomAnimation(seed);
        std::unique_ptr<TGIFData> once = CloneDocument(*doc);
        ASSERT_TRUE(OptimizeAnimation(*once, 3));
        const std::size_t onceSize = SaveBytes(*CloneDocument(*once)).size();
        ExpectExact(*once, 3, "again, seed " + std::to_string(seed));
        std::unique_ptr<TGIFData> twice = CloneDocument(*once);
        ASSERT_TRUE(OptimizeAnimation(*twice, 3));
        EXPECT_LE(SaveBytes(*twice).size(), onceSize) << seed;
        if (HasFailure()) break;
    }
}

// ---- Independent tools: gifsicle's gifdiff and ImageMagick's -coalesce.

// RGBA bytes with the colour of fully transparent pixels zeroed: ImageMagick
// keeps whatever colour the palette slot had there, which nobody sees.
std::string Visible(std::string rgba) {
    for (std::size_t i = 0; i + 3 < rgba.size(); i += 4)
        if (rgba[i + 3] == 0) rgba[i] = rgba[i + 1] = rgba[i + 2] = 0;
    return rgba;
}

bool HaveTools() {
    return RunShell("command -v convert && command -v gifdiff", TShellErrors::Discarded).Status == 0;
}

class GifOptimizerTools : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!HaveTools()) GTEST_SKIP() << "ImageMagick or gifdiff missing";
        Dir = fs::temp_directory_path() / ("frameloom-optimizer-" + std::to_string(::getpid()));
        fs::create_directories(Dir);
    }
    void TearDown() override { fs::remove_all(Dir); }

    fs::path Save(TGIFData& doc, const std::string& name) {
        const fs::path file = Dir / name;
        std::vector<std::uint8_t> bytes = SaveBytes(doc);
        std::ofstream(file, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        return file;
    }

    // Optimises the saved file's document and checks both with the tools.
    void ExpectToolsAgree(TGIFData& doc, const std::string& name) {
        const fs::path in = Save(doc, name + ".gif");
        TGIFData loaded;
        ASSERT_TRUE(loaded.LoadFromFile(in.string()));
        ASSERT_TRUE(OptimizeAnimation(loaded, 3));
        const fs::path out = Save(loaded, name + "-optimized.gif");
        const TShellRun diff = RunShell("gifdiff '" + in.string() + "' '" + out.string() + "'");
        EXPECT_EQ(diff.Status, 0) << name << ": " << diff.Output;
        const TShellRun a =
            RunShell("convert '" + in.string() + "' -coalesce -depth 8 rgba:-", TShellErrors::Discarded);
        const TShellRun b =
            RunShell("convert '" + out.string() + "' -coalesce -depth 8 rgba:-", TShellErrors::Discarded);
        ASSERT_EQ(a.Status, 0);
        ASSERT_EQ(b.Status, 0);
        EXPECT_FALSE(a.Output.empty());
        EXPECT_TRUE(Visible(a.Output) == Visible(b.Output))
            << name << ": ImageMagick composites the frames differently";
        EXPECT_LE(fs::file_size(out), fs::file_size(in)) << name;
    }

    fs::path Dir;
};

TEST_F(GifOptimizerTools, GifdiffAndImageMagickSeeTheSameFramesForDisposalMixes) {
    const std::vector<std::vector<int>> mixes = {
        {1, 1, 1, 1}, {2, 2, 2, 2}, {1, 3, 3, 3}, {0, 1, 2, 3, 0, 3}};
    int n = 0;
    for (const auto& mix : mixes) ExpectToolsAgree(*SpriteAnimation(mix), "mix" + std::to_string(n++));
}

TEST_F(GifOptimizerTools, GifdiffAndImageMagickSeeTheSameFramesForRandomAnimations) {
    for (unsigned seed = 1; seed <= 12; ++seed)
        ExpectToolsAgree(*RandomAnimation(seed), "random" + std::to_string(seed));
}

TEST_F(GifOptimizerTools, GifdiffAndImageMagickSeeTheSameFramesForRequantisedRecordings) {
    for (unsigned seed = 1; seed <= 4; ++seed)
        ExpectToolsAgree(*RecordedAnimation(seed, 6, int(seed * seed * 8)),
                         "recorded" + std::to_string(seed));
}

TEST_F(GifOptimizerTools, LargeNoisyFramesGetClearPointsAndStayExact) {
    // A blend-like animation: every frame changes nearly every pixel, noise
    // over a band of colours that drifts along the frame, so the string table
    // goes stale and clearing it early pays.
    std::unique_ptr<TGIFData> holder;
    const int w = 200, h = 150;
    TGIFData& doc = *NewDocument(holder, w, h);
    std::mt19937 random(17);
    for (int i = 0; i < 4; ++i) {
        TGIFImageData& f = AddRect(doc, 0, 0, w, h, 1, 10);
        for (std::size_t p = 0; p < f.Pixels.size(); ++p)
            f.Pixels[p] = std::uint8_t(random() % 12 + (p / 2500) * 7 + std::size_t(i) * 3);
        f.UpdateLocalUsage();
    }
    doc.UpdateGlobalUsage();

    std::unique_ptr<TGIFData> optimised = CloneDocument(doc);
    std::unique_ptr<TGIFData> again = CloneDocument(doc);
    ASSERT_TRUE(OptimizeAnimation(*optimised, 3));
    std::size_t framesWithPoints = 0;
    for (const auto& f : optimised->Frames) framesWithPoints += f->ClearPoints.empty() ? 0 : 1;
    EXPECT_GE(framesWithPoints, 1u);
    ExpectExact(doc, 3, "noisy frames");
    // The clear points only change the codes: the same document without them
    // shows the same and saves larger.
    std::unique_ptr<TGIFData> withoutPoints = CloneDocument(*optimised);
    for (auto& f : withoutPoints->Frames) f->ClearPoints.clear();
    EXPECT_LT(SaveBytes(*CloneDocument(*optimised)).size(), SaveBytes(*withoutPoints).size());
    // The frames are coded on two threads: the result is the same every time.
    ASSERT_TRUE(OptimizeAnimation(*again, 3));
    EXPECT_TRUE(SaveBytes(*again) == SaveBytes(*CloneDocument(*optimised)));
    ExpectToolsAgree(doc, "noisy");
}

TEST_F(GifOptimizerTools, ImageMagickMadeAnimationsStayExact) {
    // Interlaced, with transparency and disposals, made by another program.
    const fs::path made = Dir / "im.gif";
    ASSERT_EQ(
        RunShell("convert -delay 10 -dispose previous -size 30x20 xc:white -dispose background "
                 "\\( -size 10x8 xc:red -repage +3+4 \\) -dispose none \\( -size 6x6 xc:none -fill blue "
                 "-draw 'circle 3,3 3,1' -repage +12+6 \\) -interlace GIF -loop 0 '" +
                 made.string() + "'")
            .Status,
        0);
    TGIFData doc;
    ASSERT_TRUE(doc.LoadFromFile(made.string()));
    ExpectToolsAgree(doc, "im");
}

} // namespace
