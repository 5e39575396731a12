// Families 6, 7, 9 and 10: the new picture drawn through rounded rectangles,
// triangles, a growing fan and rotating polygons.
#include "generators/transitions/TransitionStylePainter.h"

#include <array>
#include <cmath>
#include <numbers>
#include <vector>

namespace {

void DrawRounded(const TStyleContext& c, TStyleRect (*rect)(const TStylePainter&),
                 int (*cornerW)(const TStylePainter&), int (*cornerH)(const TStylePainter&)) {
    TStylePainter s(c);
    TStyleMask mask = s.NewMask();
    mask.AddRoundRect(rect(s), cornerW(s), cornerH(s));
    s.Through(mask);
}

void DrawTriangles(TStylePainter& s, std::initializer_list<std::array<TStylePoint, 3>> triangles) {
    TStyleMask mask = s.NewMask();
    for (const auto& triangle : triangles) mask.AddPolygon(triangle.data(), 3);
    s.Through(mask);
}

int RoundToInt(double v) {
    return int(std::lround(v));
}

// Rotates the points about (cx, cy) by angle (clockwise on screen), rounding each coordinate.
void Rotate(std::vector<TStylePoint>& points, int cx, int cy, double angle) {
    const double cs = std::cos(angle), sn = std::sin(angle);
    for (TStylePoint& p : points) {
        const double dx = p.X - cx, dy = p.Y - cy;
        p = TStylePoint{RoundToInt(cx + dx * cs - dy * sn), RoundToInt(cy + dx * sn + dy * cs)};
    }
}

void DrawRotated(TStylePainter& s, std::vector<TStylePoint> points) {
    Rotate(points, h(s.W), h(s.H), s.P * std::numbers::pi / 50);
    TStyleMask mask = s.NewMask();
    mask.AddPolygon(points);
    s.Through(mask);
}

void DrawSweep(const TStyleContext& c, double delta) {
    TStylePainter s(c);
    const int cx = h(s.W), cy = h(s.H);
    const double radius = std::ceil(std::sqrt(double(cx) * cx + double(cy) * cy));
    std::vector<TStylePoint> fan{{cx, cy}};
    for (int k = 0; k < s.P; ++k) {
        const double angle = -std::numbers::pi / 2 + k * delta;
        fan.push_back({RoundToInt(cx + radius * std::cos(angle)), RoundToInt(cy + radius * std::sin(angle))});
    }
    TStyleMask mask = s.NewMask();
    mask.AddPolygon(fan);
    s.Through(mask);
}

} // namespace

void AddShapeStyles(TStyleProcTable& t) {
    using C = const TStyleContext&;
    using S = const TStylePainter&;
    // Curved and circular reveals.
    t[58] = [](C c) {
        DrawRounded(
            c, [](S s) { return R(-2 * s.W, -5, 2 * s.X, s.H + 5); }, [](S s) { return 2 * s.W; },
            [](S s) { return 2 * s.W; });
    };
    t[59] = [](C c) {
        DrawRounded(
            c, [](S s) { return R(s.W - 2 * s.X, -5, 3 * s.W, s.H + 5); }, [](S s) { return 2 * s.W; },
            [](S s) { return 2 * s.W; });
    };
    t[69] = [](C c) {
        DrawRounded(
            c, [](S s) { return R(-5, -2 * s.H, s.W + 5, 2 * s.Y); }, [](S s) { return 2 * s.H; },
            [](S s) { return 2 * s.H; });
    };
    t[70] = [](C c) {
        DrawRounded(
            c, [](S s) { return R(-5, s.H - 2 * s.Y, s.W + 5, 3 * s.H); }, [](S s) { return 2 * s.H; },
            [](S s) { return 2 * s.H; });
    };
    t[80] = [](C c) {
        DrawRounded(
            c, [](S s) { return R(-2 * s.W, -2 * s.H, 2 * s.X, 2 * s.Y); }, [](S s) { return 2 * s.W; },
            [](S s) { return 2 * s.H; });
    };
    t[81] = [](C c) {
        DrawRounded(
            c, [](S s) { return R(s.W - 2 * s.X, -2 * s.H, 3 * s.W, 2 * s.Y); }, [](S s) { return 2 * s.W; },
            [](S s) { return 2 * s.H; });
    };
    t[82] = [](C c) {
        DrawRounded(
            c, [](S s) { return R(-2 * s.W, s.H - 2 * s.Y, 2 * s.X, 3 * s.H); }, [](S s) { return 2 * s.W; },
            [](S s) { return 2 * s.H; });
    };
    t[83] = [](C c) {
        // Corners 2H x 2H, as the style has always drawn them.
        DrawRounded(
            c, [](S s) { return R(s.W - 2 * s.X, s.H - 2 * s.Y, 3 * s.W, 3 * s.H); },
            [](S s) { return 2 * s.H; }, [](S s) { return 2 * s.H; });
    };
    t[84] = [](C c) {
        DrawRounded(
            c, [](S s) { return R(h(s.W) - s.X, h(s.H) - s.Y, h(s.W) + s.X, h(s.H) + s.Y); },
            [](S s) { return 9 * s.X / 5; }, [](S s) { return 9 * s.Y / 5; });
    };
    t[85] = [](C c) {
        TStylePainter s(c);
        TStyleMask mask = s.NewMask();
        mask.AddRect(s.Full());
        TStyleMask hole = s.NewMask();
        hole.AddRoundRect(R(s.X - h(s.W), s.Y - h(s.H), h(3 * s.W) - s.X, h(3 * s.H) - s.Y),
                          (s.W - s.X) * 9 / 5, (s.H - s.Y) * 9 / 5);
        mask.Xor(hole);
        s.Through(mask);
    };

    // Triangles.
    t[110] = [](C c) {
        TStylePainter s(c);
        DrawTriangles(s, {{{{0, 0}, {2 * s.X, 0}, {0, 2 * s.Y}}}});
    };
    t[111] = [](C c) {
        TStylePainter s(c);
        DrawTriangles(s, {{{{s.W, 0}, {s.W - 2 * s.X, 0}, {s.W, 2 * s.Y}}}});
    };
    t[112] = [](C c) {
        TStylePainter s(c);
        DrawTriangles(s, {{{{0, s.H}, {2 * s.X, s.H}, {0, s.H - 2 * s.Y}}}});
    };
    t[113] = [](C c) {
        TStylePainter s(c);
        DrawTriangles(s, {{{{s.W, s.H}, {s.W - 2 * s.X, s.H}, {s.W, s.H - 2 * s.Y}}}});
    };
    t[114] = [](C c) {
        TStylePainter s(c);
        DrawTriangles(s, {{{{0, s.H}, {0, 0}, {s.X, s.H}}}, {{{s.W, s.H}, {s.W, 0}, {s.W - s.X, 0}}}});
    };
    t[115] = [](C c) {
        TStylePainter s(c);
        DrawTriangles(s, {{{{s.W, 0}, {0, 0}, {s.W, s.Y}}}, {{{s.W, s.H}, {0, s.H}, {0, s.H - s.Y}}}});
    };
    t[116] = [](C c) {
        TStylePainter s(c);
        const TStylePoint m{h(s.W), h(s.H)};
        DrawTriangles(s, {{{m, {0, s.H}, {0, s.H - s.Y}}},
                          {{{0, 0}, {s.X, 0}, m}},
                          {{{s.W - s.X, s.H}, m, {s.W, s.H}}},
                          {{m, {s.W, 0}, {s.W, s.Y}}}});
    };
    t[117] = [](C c) {
        TStylePainter s(c);
        const int n = s.GridStep();
        const int x = s.X / n, y = s.Y / n, w = s.W / n, hh = s.H / n;
        TStyleMask mask = s.NewMask();
        if (x > 0 && y > 0) {
            for (int row = 0; row <= n; ++row)
                for (int col = 0; col <= n; ++col) {
                    const int px = col * w, py = row * hh;
                    const TStylePoint triangle[3] = {{px - x, py - y}, {px + x, py - y}, {px - x, py + y}};
                    mask.AddPolygon(triangle, 3);
                }
        }
        s.Through(mask);
    };

    // Sweeps.
    t[143] = [](C c) { DrawSweep(c, std::numbers::pi / 50); };
    t[144] = [](C c) { DrawSweep(c, -std::numbers::pi / 50); };

    // Rotations.
    t[149] = [](C c) {
        TStylePainter s(c);
        const int cx = h(s.W), cy = h(s.H), dx = h(s.X), dy = h(s.Y);
        DrawRotated(s, {{cx - dx, cy - dy}, {cx + dx, cy - dy}, {cx + dx, cy + dy}, {cx - dx, cy + dy}});
    };
    t[150] = [](C c) {
        TStylePainter s(c);
        const int cx = h(s.W), m = h(s.H), x = s.X, y = s.Y;
        DrawRotated(s, {{cx - 2 * x, m},
                        {cx - h(x), m - h(y)},
                        {cx, m - 2 * y},
                        {cx + h(x), m - h(y)},
                        {cx + 2 * x, m},
                        {cx + h(x), m + h(y)},
                        {cx, m + 2 * y},
                        {cx - h(x), m + h(y)}});
    };
}
