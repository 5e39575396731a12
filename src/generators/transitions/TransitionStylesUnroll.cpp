// Family 2: unroll. The uncovered part of the new picture is copied unscaled and
// next to it a band shows, mirrored, the strip of the new picture just beyond
// the band, like the back of a sheet being rolled off the picture.
#include "generators/transitions/TransitionStylePainter.h"

#include <algorithm>

namespace {

// The band's far edge for a sheet unrolled `done` pixels along a side of `size`.
int UnrollBandEnd(int done, int size) {
    if (done < size / 5) return done + h(done);
    if (size < done + size / 5) return done + h(size - done);
    return done + size / 10;
}

void UnrollFromStart(TStylePainter& s, bool vertical) {
    const int size = vertical ? s.H : s.W;
    const int done = vertical ? s.Y : s.X;
    const int e = UnrollBandEnd(done, size);
    const int stripEnd = std::min(2 * e - done, size);
    if (stripEnd > e) {
        // Destination edges e + 1 and done - 1: a reversed rectangle, so mirrored.
        if (vertical)
            s.Copy(R(0, e + 1, s.W, done - 1), R(0, e, s.W, stripEnd));
        else
            s.Copy(R(e + 1, 0, done - 1, s.H), R(e, 0, stripEnd, s.H));
    }
    s.Same(vertical ? R(0, 0, s.W, done) : R(0, 0, done, s.H));
}

void UnrollFromEnd(TStylePainter& s, bool vertical) {
    const int size = vertical ? s.H : s.W;
    const int done = vertical ? s.Y : s.X;
    const int edge = size - done;
    int l;
    if (done < size / 5)
        l = edge - h(done);
    else if (edge < size / 5)
        l = edge - h(edge);
    else
        l = edge - size / 10;
    const int stripStart = std::max(2 * l - edge, 0);
    if (l > stripStart) {
        // Destination edges edge + 1 and l - 1: reversed, so mirrored.
        if (vertical)
            s.Copy(R(0, edge + 1, s.W, l - 1), R(0, stripStart, s.W, l));
        else
            s.Copy(R(edge + 1, 0, l - 1, s.H), R(stripStart, 0, l, s.H));
    }
    s.Same(vertical ? R(0, edge, s.W, s.H) : R(edge, 0, s.W, s.H));
}

} // namespace

void AddUnrollStyles(TStyleProcTable& t) {
    using C = const TStyleContext&;
    t[14] = [](C c) {
        TStylePainter s(c);
        UnrollFromStart(s, false);
    };
    t[15] = [](C c) {
        TStylePainter s(c);
        UnrollFromEnd(s, false);
    };
    t[31] = [](C c) {
        TStylePainter s(c);
        UnrollFromStart(s, true);
    };
    t[32] = [](C c) {
        TStylePainter s(c);
        UnrollFromEnd(s, true);
    };
}
