// Family 1: the new picture (and for the push styles the old one) copied into
// one to four rectangles of the Media bitmap per step, scaled to fit.
#include "generators/transitions/TransitionStylePainter.h"

#include <algorithm>

void AddRectangleCopyStyles(TStyleProcTable& t) {
    using C = const TStyleContext&;
    // Horizontal expansions, slides and reveals.
    t[1] = [](C c) {
        TStylePainter s(c);
        s.Copy(R(s.W - s.X, 0, s.W, s.H), s.Full());
    };
    t[2] = [](C c) {
        TStylePainter s(c);
        s.Copy(R(0, 0, s.X, s.H), s.Full());
    };
    t[3] = [](C c) {
        TStylePainter s(c);
        s.Copy(R(s.W - s.X, 0, 2 * s.W - s.X, s.H), s.Full());
    };
    t[4] = [](C c) {
        TStylePainter s(c);
        s.Copy(R(s.X - s.W, 0, s.X, s.H), s.Full());
    };
    t[5] = [](C c) {
        TStylePainter s(c);
        s.Same(R(0, 0, s.X, s.H));
    };
    t[6] = [](C c) {
        TStylePainter s(c);
        s.Same(R(s.W - s.X, 0, s.W, s.H));
    };
    t[7] = [](C c) {
        TStylePainter s(c);
        s.Copy(R(0, 0, 2 * s.W - s.X, s.H), R(0, 0, s.X, s.H));
    };
    t[8] = [](C c) {
        TStylePainter s(c);
        s.Copy(R(s.X - s.W, 0, s.W, s.H), R(s.W - s.X, 0, s.W, s.H));
    };
    t[9] = [](C c) {
        TStylePainter s(c);
        s.Copy(R(s.X - s.W, 0, 2 * s.W - s.X, s.H), R(h(s.W - s.X), 0, h(s.W + s.X), s.H));
    };
    t[10] = [](C c) {
        TStylePainter s(c);
        s.Copy(R(h(s.W - s.X), 0, h(s.W + s.X), s.H), s.Full());
    };
    t[11] = [](C c) {
        TStylePainter s(c);
        s.Same(R(h(s.W - s.X), 0, h(s.W + s.X), s.H));
    };
    t[12] = [](C c) {
        TStylePainter s(c);
        s.Same(R(0, 0, h(s.X) + 1, s.H));
        s.Same(R(s.W - h(s.X) - 1, 0, s.W, s.H));
    };
    t[13] = [](C c) {
        TStylePainter s(c);
        s.Copy(R(0, 0, h(s.X) + 1, s.H), R(0, 0, h(s.W) + 1, s.H));
        s.Copy(R(s.W - h(s.X) - 1, 0, s.W, s.H), R(h(s.W), 0, s.W, s.H));
    };
    t[16] = [](C c) {
        TStylePainter s(c);
        s.Same(R(0, 0, s.X, s.H));
        s.Copy(R(s.X, 0, s.W, s.H), R(s.X, 0, std::min(s.X + s.W / s.KDiv(), s.W), s.H));
    };
    t[17] = [](C c) {
        TStylePainter s(c);
        s.Same(R(s.W - s.X, 0, s.W, s.H));
        s.Copy(R(0, 0, s.W - s.X, s.H), R(std::max(s.W - s.X - s.W / s.KDiv(), 0), 0, s.W - s.X, s.H));
    };

    // Vertical expansions, slides and reveals.
    t[18] = [](C c) {
        TStylePainter s(c);
        s.Copy(R(0, s.H - s.Y, s.W, s.H), s.Full());
    };
    t[19] = [](C c) {
        TStylePainter s(c);
        s.Copy(R(0, 0, s.W, s.Y), s.Full());
    };
    t[20] = [](C c) {
        TStylePainter s(c);
        s.Copy(R(0, s.H - s.Y, s.W, 2 * s.H - s.Y), s.Full());
    };
    t[21] = [](C c) {
        TStylePainter s(c);
        s.Copy(R(0, s.Y - s.H, s.W, s.Y), s.Full());
    };
    t[22] = [](C c) {
        TStylePainter s(c);
        s.Same(R(0, 0, s.W, s.Y));
    };
    t[23] = [](C c) {
        TStylePainter s(c);
        s.Same(R(0, s.H - s.Y, s.W, s.H));
    };
    t[24] = [](C c) {
        TStylePainter s(c);
        s.Copy(R(0, 0, s.W, 2 * s.H - s.Y), R(0, 0, s.W, s.Y));
    };
    t[25] = [](C c) {
        TStylePainter s(c);
        s.Copy(R(0, s.Y - s.H, s.W, s.H), R(0, s.H - s.Y, s.W, s.H));
    };
    t[26] = [](C c) {
        TStylePainter s(c);
        s.Copy(R(0, s.Y - s.H, s.W, 2 * s.H - s.Y), R(0, h(s.H - s.Y), s.W, h(s.H + s.Y)));
    };
    t[27] = [](C c) {
        TStylePainter s(c);
        s.Copy(R(0, h(s.H - s.Y), s.W, h(s.H + s.Y)), s.Full());
    };
    t[28] = [](C c) {
        TStylePainter s(c);
        s.Same(R(0, h(s.H - s.Y), s.W, h(s.H + s.Y)));
    };
    t[29] = [](C c) {
        TStylePainter s(c);
        s.Same(R(0, 0, s.W, h(s.Y) + 1));
        s.Same(R(0, s.H - h(s.Y) - 1, s.W, s.H));
    };
    t[30] = [](C c) {
        TStylePainter s(c);
        s.Copy(R(0, 0, s.W, h(s.Y) + 1), R(0, 0, s.W, h(s.H) + 1));
        s.Copy(R(0, s.H - h(s.Y) - 1, s.W, s.H), R(0, h(s.H), s.W, s.H));
    };
    t[33] = [](C c) {
        TStylePainter s(c);
        s.Same(R(0, 0, s.W, s.Y));
        s.Copy(R(0, s.Y, s.W, s.H), R(0, s.Y, s.W, std::min(s.Y + s.H / s.KDiv(), s.H)));
    };
    t[34] = [](C c) {
        TStylePainter s(c);
        s.Same(R(0, s.H - s.Y, s.W, s.H));
        s.Copy(R(0, 0, s.W, s.H - s.Y), R(0, std::max(s.H - s.Y - s.H / s.KDiv(), 0), s.W, s.H - s.Y));
    };

    // Corners.
    t[35] = [](C c) {
        TStylePainter s(c);
        s.Copy(R(s.W - s.X, s.H - s.Y, s.W, s.H), s.Full());
    };
    t[36] = [](C c) {
        TStylePainter s(c);
        s.Copy(R(s.W - s.X, 0, s.W, s.Y), s.Full());
    };
    t[37] = [](C c) {
        TStylePainter s(c);
        s.Copy(R(0, 0, s.X, s.Y), s.Full());
    };
    t[38] = [](C c) {
        TStylePainter s(c);
        s.Copy(R(0, s.H - s.Y, s.X, s.H), s.Full());
    };
    t[39] = [](C c) {
        TStylePainter s(c);
        s.Copy(R(s.W - s.X, s.H - s.Y, 2 * s.W - s.X, 2 * s.H - s.Y), s.Full());
    };
    t[40] = [](C c) {
        TStylePainter s(c);
        s.Copy(R(s.W - s.X, s.Y - s.H, 2 * s.W - s.X, s.Y), s.Full());
    };
    t[41] = [](C c) {
        TStylePainter s(c);
        s.Copy(R(s.X - s.W, s.Y - s.H, s.X, s.Y), s.Full());
    };
    t[42] = [](C c) {
        TStylePainter s(c);
        s.Copy(R(s.X - s.W, s.H - s.Y, s.X, 2 * s.H - s.Y), s.Full());
    };
    t[43] = [](C c) {
        TStylePainter s(c);
        s.Same(R(0, 0, s.X, s.Y));
    };
    t[44] = [](C c) {
        TStylePainter s(c);
        s.Same(R(0, s.H - s.Y, s.X, s.H));
    };
    t[45] = [](C c) {
        TStylePainter s(c);
        s.Same(R(s.W - s.X, s.H - s.Y, s.W, s.H));
    };
    t[46] = [](C c) {
        TStylePainter s(c);
        s.Same(R(s.W - s.X, 0, s.W, s.Y));
    };
    t[47] = [](C c) {
        TStylePainter s(c);
        s.Copy(R(0, 0, 2 * s.W - s.X, 2 * s.H - s.Y), R(0, 0, s.X, s.Y));
    };
    t[48] = [](C c) {
        TStylePainter s(c);
        s.Copy(R(0, s.Y - s.H, 2 * s.W - s.X, s.H), R(0, s.H - s.Y, s.X, s.H));
    };
    t[49] = [](C c) {
        TStylePainter s(c);
        s.Copy(R(s.X - s.W, s.Y - s.H, s.W, s.H), R(s.W - s.X, s.H - s.Y, s.W, s.H));
    };
    t[50] = [](C c) {
        TStylePainter s(c);
        s.Copy(R(s.X - s.W, 0, s.W, 2 * s.H - s.Y), R(s.W - s.X, 0, s.W, s.Y));
    };

    // Centre.
    t[51] = [](C c) {
        TStylePainter s(c);
        s.Copy(R(s.X - s.W, s.Y - s.H, 2 * s.W - s.X, 2 * s.H - s.Y),
               R(h(s.W - s.X), h(s.H - s.Y), h(s.W + s.X), h(s.H + s.Y)));
    };
    t[52] = [](C c) {
        TStylePainter s(c);
        s.Copy(R(h(s.W - s.X), h(s.H - s.Y), h(s.W + s.X), h(s.H + s.Y)), s.Full());
    };
    t[53] = [](C c) {
        TStylePainter s(c);
        s.Same(R(h(s.W - s.X), h(s.H - s.Y), h(s.W + s.X), h(s.H + s.Y)));
    };
    t[54] = [](C c) {
        TStylePainter s(c);
        s.Same(R(0, 0, s.W, h(s.Y)));
        s.Same(R(0, s.H - h(s.Y), s.W, s.H));
        s.Same(R(0, 0, h(s.X), s.H));
        s.Same(R(s.W - h(s.X), 0, s.W, s.H));
    };
    t[55] = [](C c) {
        TStylePainter s(c);
        s.Same(R(0, 0, h(s.X) + 1, h(s.Y) + 1));
        s.Same(R(0, s.H - h(s.Y) - 1, h(s.X) + 1, s.H));
        s.Same(R(s.W - h(s.X) - 1, s.H - h(s.Y) - 1, s.W, s.H));
        s.Same(R(s.W - h(s.X) - 1, 0, s.W, h(s.Y) + 1));
    };
    t[56] = [](C c) {
        TStylePainter s(c);
        s.Copy(R(0, 0, h(s.X) + 1, h(s.Y) + 1), R(0, 0, h(s.W) + 1, h(s.H) + 1));
        s.Copy(R(0, s.H - h(s.Y), h(s.X) + 1, s.H), R(0, h(s.H) + 1, h(s.W) + 1, s.H));
        s.Copy(R(s.W - h(s.X), s.H - h(s.Y), s.W, s.H), R(h(s.W) + 1, h(s.H) + 1, s.W, s.H));
        s.Copy(R(s.W - h(s.X), 0, s.W, h(s.Y) + 1), R(h(s.W) + 1, 0, s.W, h(s.H) + 1));
    };
    t[57] = [](C c) {
        TStylePainter s(c);
        s.Copy(R(h(s.X - s.W), 0, h(s.X) + 1, h(s.H) + 1), R(0, 0, h(s.W) + 1, h(s.H) + 1));
        s.Copy(R(h(s.W) - 1, h(s.Y - s.H), s.W, h(s.Y) + 1), R(h(s.W) - 1, 0, s.W, h(s.H) + 1));
        s.Copy(R(s.W - h(s.X), h(s.H) - 1, s.W + h(s.W - s.X), s.H), R(h(s.W) + 1, h(s.H) - 1, s.W, s.H));
        s.Copy(R(0, s.H - h(s.Y), h(s.W) + 1, s.H + h(s.H - s.Y)), R(0, h(s.H) + 1, h(s.W) + 1, s.H));
    };

    // Pushes: the old picture moves (or is squeezed) aside as the new one comes in.
    t[128] = [](C c) {
        TStylePainter s(c);
        s.CopyOld(R(s.X, 0, s.W, s.H), R(0, 0, s.W - s.X, s.H));
        s.Copy(R(0, 0, s.X, s.H), R(s.W - s.X, 0, s.W, s.H));
    };
    t[129] = [](C c) {
        TStylePainter s(c);
        s.CopyOld(R(0, 0, s.W - s.X, s.H), R(s.X, 0, s.W, s.H));
        s.Copy(R(s.W - s.X, 0, s.W, s.H), R(0, 0, s.X, s.H));
    };
    t[130] = [](C c) {
        TStylePainter s(c);
        s.CopyOld(R(s.X, 0, s.W, s.H), s.Full());
        s.Copy(R(0, 0, s.X, s.H), R(s.W - s.X, 0, s.W, s.H));
    };
    t[131] = [](C c) {
        TStylePainter s(c);
        s.CopyOld(R(0, 0, s.W - s.X, s.H), s.Full());
        s.Copy(R(s.W - s.X, 0, s.W, s.H), R(0, 0, s.X, s.H));
    };
    t[132] = [](C c) {
        TStylePainter s(c);
        s.CopyOld(R(0, s.Y, s.W, s.H), R(0, 0, s.W, s.H - s.Y));
        s.Copy(R(0, 0, s.W, s.Y), R(0, s.H - s.Y, s.W, s.H));
    };
    t[133] = [](C c) {
        TStylePainter s(c);
        s.CopyOld(R(0, 0, s.W, s.H - s.Y), R(0, s.Y, s.W, s.H));
        s.Copy(R(0, s.H - s.Y, s.W, s.H), R(0, 0, s.W, s.Y));
    };
    t[134] = [](C c) {
        TStylePainter s(c);
        s.CopyOld(R(0, s.Y, s.W, s.H), s.Full());
        s.Copy(R(0, 0, s.W, s.Y), R(0, s.H - s.Y, s.W, s.H));
    };
    t[135] = [](C c) {
        TStylePainter s(c);
        s.CopyOld(R(0, 0, s.W, s.H - s.Y), s.Full());
        s.Copy(R(0, s.H - s.Y, s.W, s.H), R(0, 0, s.W, s.Y));
    };
}
