// The style table: names exactly as the program has always stored and shown
// them (typos included), and the procedure of each entry.
#include "generators/transitions/TransitionStylePainter.h"

#include <algorithm>
#include <cctype>

namespace {

constexpr const char* StyleNames[TransitionStyleCount + 1] = {
    "Custom",
    "Expand from right",                                       // 1
    "Expand from left",                                        // 2
    "Slide in from right",                                     // 3
    "Slide in from left",                                      // 4
    "Reveal from left",                                        // 5
    "Reveal from right",                                       // 6
    "Expand in from right",                                    // 7
    "Expand in from left",                                     // 8
    "Expand in to middle",                                     // 9
    "Expand out from middle",                                  // 10
    "Reveal out from middle",                                  // 11
    "Reveal in from sides",                                    // 12
    "Expand in from sides",                                    // 13
    "Unroll from left",                                        // 14
    "Unroll from right",                                       // 15
    "Build up from right",                                     // 16
    "Build up from left",                                      // 17
    "Expand from bottom",                                      // 18
    "Expand from top",                                         // 19
    "Slide in from bottom",                                    // 20
    "Slide in from top",                                       // 21
    "Reveal from top",                                         // 22
    "Reveal from bottom",                                      // 23
    "Expand in from bottom",                                   // 24
    "Expand in from top",                                      // 25
    "Expand in to middle (horiz)",                             // 26
    "Expand out from middle (horiz)",                          // 27
    "Reveal from middle (horiz)",                              // 28
    "Slide in from top / bottom",                              // 29
    "Expand in from top / bottom",                             // 30
    "Unroll from top",                                         // 31
    "Unroll from bottom",                                      // 32
    "Expand from bottom",                                      // 33
    "Expand in from top",                                      // 34
    "Expand from bottom right",                                // 35
    "Expand from top right",                                   // 36
    "Expand from top left",                                    // 37
    "Expand from bottom left",                                 // 38
    "Slide in from bottom right",                              // 39
    "Slide in from top right",                                 // 40
    "Slide in from top left",                                  // 41
    "Slide in from bottom left",                               // 42
    "Reveal from top left",                                    // 43
    "Reveal from bottom left",                                 // 44
    "Reveal from bottom right",                                // 45
    "Reveal from top right",                                   // 46
    "Appear and Contract to top left",                         // 47
    "Appear and Contract to bottom left",                      // 48
    "Appear and Contract to bottom right",                     // 49
    "Appear and Contract to top right",                        // 50
    "Appear and Contract to middle",                           // 51
    "Expand out from centre",                                  // 52
    "Reveal out from centre",                                  // 53
    "Reveal in to centre",                                     // 54
    "Quarters Reveal in to middle",                            // 55
    "Quarters Expand to middle",                               // 56
    "Quarters Slide in to middle",                             // 57
    "Curved Reveal from left",                                 // 58
    "Curved Reveal from right",                                // 59
    "Bars in from right",                                      // 60
    "Bars in from left",                                       // 61
    "Bars left then right",                                    // 62
    "Bars right then left",                                    // 63
    "Bars from both sides",                                    // 64
    "Uneven shred from right",                                 // 65
    "Uneven shred from left",                                  // 66
    "Uneven shred out from middle (horiz)",                    // 67
    "Uneven shred in to middle (horiz)",                       // 68
    "Curved Reveal from top",                                  // 69
    "Curved Reveal from bottom",                               // 70
    "Bars from bottom",                                        // 71
    "Bars from top",                                           // 72
    "Bars top then bottom",                                    // 73
    "Bars bottom then top",                                    // 74
    "Bars from top and bottom",                                // 75
    "Unven shred from bottom",                                 // 76
    "Uneven shred from top",                                   // 77
    "Uneven shred from horizon",                               // 78
    "Uneven shred in to horizon",                              // 79
    "Curved reveal from top left",                             // 80
    "Curved reveal from top right",                            // 81
    "Curved reveal from bottom left",                          // 82
    "Curved reveal from bottom right",                         // 83
    "Circular reveal from centre",                             // 84
    "Circular reveal to centre",                               // 85
    "Criss Cross reveal from bottom right",                    // 86
    "Criss Cross reveal from top right",                       // 87
    "Criss Cross reveal from bottom left",                     // 88
    "Criss Cross reveal from top left",                        // 89
    "Criss Cross reveal bounce from top left",                 // 90
    "Criss Cross reveal bounce from bottom left",              // 91
    "Criss Cross reveal bounce from top right",                // 92
    "Criss Cross reveal bounce from bottom right",             // 93
    "Criss Cross reveal from right top and bottom",            // 94
    "Criss Cross reveal from left top and bottom",             // 95
    "Criss Cross reveal from left right and bottom",           // 96
    "Criss Cross reveal from left right and top",              // 97
    "Criss Cross reveal from top left right and bottom",       // 98
    "Criss Cross reveal from bottom left top right",           // 99
    "Uneven shred from bottom and right",                      // 100
    "Uneven shred from top and right",                         // 101
    "Uneven shred from bottom and left",                       // 102
    "Uneven shred from top and left",                          // 103
    "Uneven shred from horiz and right",                       // 104
    "Uneven shred from horiz and left",                        // 105
    "Uneven shred from bottom and vert middle",                // 106
    "Uneven shred from top and vert middle",                   // 107
    "Uneven shred from centre",                                // 108
    "Uneven shred to centre",                                  // 109
    "Reveal diagonal from top left",                           // 110
    "Reveal diagonal from top right",                          // 111
    "Reveal diagonal from bottom left",                        // 112
    "Reveal diagonal from bottom right",                       // 113
    "Diagonal sweep from top left bottom right anticlockwise", // 114
    "Diagonal sweep from top left bottom right clockwise",     // 115
    "Starburst clockwise from center",                         // 116
    "Triangular shred to top left",                            // 117
    "Fade",                                                    // 118
    "Pivot from top left",                                     // 119
    "Pivot from bottom left",                                  // 120
    "Pivot from top right",                                    // 121
    "Pivot from bottom right",                                 // 122
    "Speckle appear from right",                               // 123
    "Speckle appear from left",                                // 124
    "Speckle appear from bottom",                              // 125
    "Speckle appear from top",                                 // 126
    "Random squares appear",                                   // 127
    "Push right",                                              // 128
    "Push left",                                               // 129
    "Push and squeeze right",                                  // 130
    "Push and squeeze left",                                   // 131
    "Push down",                                               // 132
    "Push up",                                                 // 133
    "Push and sqeeze down",                                    // 134
    "Push and sqeeze up",                                      // 135
    "Blind vertically",                                        // 136
    "Blind horizontally",                                      // 137
    "Uneven blind from left",                                  // 138
    "Uneven blind from right",                                 // 139
    "Uneven blind from top",                                   // 140
    "Uneven blind from bottom",                                // 141
    "Rectangular shred",                                       // 142
    "Sweep clockwise",                                         // 143
    "Sweep anticlockwise",                                     // 144
    "Rectangles apear from left and disapear to right",        // 145
    "Rectangles apear from right and disapear to left",        // 146
    "Rectangles apear from up and disapear to bottom",         // 147
    "Rectangles apear from bottom and disapear to up",         // 148
    "Rotational rectangle",                                    // 149
    "Rotational star",                                         // 150
};

const TStyleProcTable& Procedures() {
    static const TStyleProcTable table = [] {
        TStyleProcTable t{};
        AddRectangleCopyStyles(t);
        AddUnrollStyles(t);
        AddBarStyles(t);
        AddShapeStyles(t);
        AddGridStyles(t);
        AddPixelStyles(t);
        return t;
    }();
    return table;
}

const std::array<TTransitionStyle, TransitionStyleCount + 1>& Table() {
    static const std::array<TTransitionStyle, TransitionStyleCount + 1> table = [] {
        std::array<TTransitionStyle, TransitionStyleCount + 1> t{};
        for (int i = 0; i <= TransitionStyleCount; ++i) t[i] = {StyleNames[i], Procedures()[i]};
        return t;
    }();
    return table;
}

bool SameTextIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

} // namespace

const TTransitionStyle* TransitionStyle(int index) {
    if (index < 1 || index > TransitionStyleCount) return nullptr;
    return &Table()[index];
}

const char* TransitionStyleName(int index) {
    if (index < 0 || index > TransitionStyleCount) return "";
    return StyleNames[index];
}

int FindTransitionStyle(std::string_view name) {
    if (SameTextIgnoringCase(name, "Custom")) return CustomTransitionStyle;
    for (int i = 1; i <= TransitionStyleCount; ++i)
        if (SameTextIgnoringCase(name, StyleNames[i])) return i;
    return -1;
}

void ApplyTransitionStyle(int index, TBitmap& media, const TBitmap& picture, int progress, int step) {
    const TTransitionStyle* style = TransitionStyle(index);
    if (!style || !style->Proc || progress < 1 || progress > 99) return;
    if (media.Width() != picture.Width() || media.Height() != picture.Height() || media.Empty()) return;
    if (media.PixelFormat() == pf8bit) return;
    const TStyleContext context{media, picture, R(0, 0, media.Width(), media.Height()), progress,
                                std::clamp(step, 1, 100)};
    if (picture.PixelFormat() == media.PixelFormat()) {
        style->Proc(context);
        return;
    }
    TBitmap converted = picture;
    converted.SetPixelFormat(media.PixelFormat());
    style->Proc(TStyleContext{media, converted, context.Rect, context.Progress, context.Step});
}
