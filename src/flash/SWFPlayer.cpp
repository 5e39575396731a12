#include "flash/SWFPlayer.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <set>
#include <string>

namespace {

// x' = A x + C y + TX, y' = B x + D y + TY (twips).
struct TAffine {
    double A = 1, B = 0, C = 0, D = 1, TX = 0, TY = 0;

    static TAffine From(const TSWFMatrix& m) {
        TAffine t;
        if (m.HasScale) {
            t.A = m.ScaleX / 65536.0;
            t.D = m.ScaleY / 65536.0;
        }
        if (m.HasRotate) {
            t.B = m.RotateSkew0 / 65536.0;
            t.C = m.RotateSkew1 / 65536.0;
        }
        t.TX = m.TranslateX;
        t.TY = m.TranslateY;
        return t;
    }
    // this after inner
    TAffine operator*(const TAffine& in) const {
        TAffine r;
        r.A = A * in.A + C * in.B;
        r.B = B * in.A + D * in.B;
        r.C = A * in.C + C * in.D;
        r.D = B * in.C + D * in.D;
        r.TX = A * in.TX + C * in.TY + TX;
        r.TY = B * in.TX + D * in.TY + TY;
        return r;
    }
    bool Invert(TAffine& out) const {
        double det = A * D - B * C;
        if (!std::isfinite(det) || std::fabs(det) < 1e-12) return false;
        out.A = D / det;
        out.B = -B / det;
        out.C = -C / det;
        out.D = A / det;
        out.TX = -(out.A * TX + out.C * TY);
        out.TY = -(out.B * TX + out.D * TY);
        return true;
    }
    void Apply(double x, double y, double& ox, double& oy) const {
        ox = A * x + C * y + TX;
        oy = B * x + D * y + TY;
    }
};

struct TRGBA {
    std::uint8_t R = 0, G = 0, B = 0, A = 255;
};

struct TColorXform {
    bool Identity = true;
    double Mult[4] = {1, 1, 1, 1}; // r, g, b, a
    double Add[4] = {0, 0, 0, 0};

    TRGBA Apply(TRGBA c) const {
        if (Identity) return c;
        auto ch = [&](int v, int i) {
            double x = v * Mult[i] + Add[i];
            return std::uint8_t(std::clamp(x, 0.0, 255.0));
        };
        return {ch(c.R, 0), ch(c.G, 1), ch(c.B, 2), ch(c.A, 3)};
    }
};

struct TDecodedBitmap {
    int Width = 0, Height = 0;
    std::vector<TRGBA> Pixels; // premultiplied by alpha
    bool Opaque = false;       // every pixel has alpha 255
};

struct TGradientStop {
    std::uint8_t Ratio = 0;
    TRGBA Color;
};

enum TFillKind { fkSolid, fkLinear, fkRadial, fkBitmap };

struct TFillInfo {
    TFillKind Kind = fkSolid;
    TRGBA Color;                      // solid
    std::vector<TGradientStop> Stops; // gradients
    TAffine Matrix;                   // gradient or bitmap space -> shape twips
    std::uint16_t BitmapId = 0;
    bool Repeat = false;
};

struct TSegment {
    double X0, Y0, X1, Y1;
};

struct TShape {
    std::vector<TFillInfo> Fills;
    std::vector<std::vector<TSegment>> FillEdges; // per fill, edges with that fill on one side
};

} // namespace

struct TSWFMoviePlayer::TCharacter {
    enum { ckBitmap, ckShape, ckUnsupported } Kind = ckUnsupported;
    std::uint16_t DefinedBy = 0;
    std::size_t TagIndex = 0;     // the defining tag, decoded when a frame first shows it
    std::size_t DecodedBytes = 0; // memory the decoded form takes, known from checking the tag
    // The decoded form while the last rendered frame needs it, else null.
    std::shared_ptr<TDecodedBitmap> Bitmap;
    std::shared_ptr<TShape> Shape;
};

struct TSWFMoviePlayer::TOperation {
    enum { opPlace, opRemove, opBackground } Kind = opPlace;
    std::uint16_t Depth = 0;
    bool Move = false;
    bool HasCharacter = false;
    std::uint16_t CharacterId = 0;
    bool HasMatrix = false;
    TAffine Matrix;
    bool HasColorTransform = false;
    TColorXform ColorTransform;
    TRGBA Background;
};

namespace {

std::string TagLabel(const TSWFTagInfo& tag) {
    return std::string(SWFTagName(tag.Code)) + " tag at offset " + std::to_string(tag.Offset);
}

TRGBA ReadColor(TSWFBitReader& r, bool alpha) {
    TRGBA c;
    c.R = r.ReadU8();
    c.G = r.ReadU8();
    c.B = r.ReadU8();
    c.A = alpha ? r.ReadU8() : 255;
    return c;
}

TColorXform ReadColorTransform(TSWFBitReader& r, bool alpha) {
    r.Align();
    TColorXform x;
    bool hasAdd = r.ReadUB(1), hasMult = r.ReadUB(1);
    int n = int(r.ReadUB(4));
    int channels = alpha ? 4 : 3;
    if (hasMult)
        for (int i = 0; i < channels; ++i) x.Mult[i] = r.ReadSB(n) / 256.0;
    if (hasAdd)
        for (int i = 0; i < channels; ++i) x.Add[i] = r.ReadSB(n);
    r.Align();
    x.Identity = !hasAdd && !hasMult;
    return x;
}

// ---- bitmaps

struct TLosslessHeader {
    std::uint16_t Id = 0;
    int Format = 0, Width = 0, Height = 0, Colors = 0;
    std::size_t RowBytes = 0, TableBytes = 0, Expected = 0;
};

// Reads and checks a DefineBitsLossless(2) header without inflating anything:
// the size against the limit, the pixel data against what it can hold.
TLosslessHeader ReadLosslessHeader(TSWFBitReader& r, bool alpha, std::int64_t maxPixels) {
    TLosslessHeader h;
    h.Id = r.ReadU16();
    h.Format = r.ReadU8();
    h.Width = r.ReadU16();
    h.Height = r.ReadU16();
    if (h.Format == 3)
        h.Colors = r.ReadU8() + 1;
    else if (h.Format != 4 && h.Format != 5)
        r.Fail("bitmap format " + std::to_string(h.Format) + " is not defined");
    if (h.Format == 4 && alpha) r.Fail("bitmap format 4 has no alpha form");
    if (std::int64_t(h.Width) * h.Height > maxPixels)
        r.Fail("a bitmap of " + std::to_string(h.Width) + " x " + std::to_string(h.Height) +
               " pixels is larger than the player handles");
    h.RowBytes = h.Format == 3   ? (std::size_t(h.Width) + 3) & ~std::size_t(3)
                 : h.Format == 4 ? (std::size_t(h.Width) * 2 + 3) & ~std::size_t(3)
                                 : std::size_t(h.Width) * 4;
    h.TableBytes = std::size_t(h.Colors) * (alpha ? 4 : 3);
    h.Expected = h.TableBytes + h.RowBytes * std::size_t(h.Height);
    if (h.Expected > MaxInflatedSize(r.Remaining()))
        r.Fail("the pixel data is far too short for " + std::to_string(h.Width) + " x " +
               std::to_string(h.Height) + " pixels");
    return h;
}

std::shared_ptr<TDecodedBitmap> DecodeLossless(const std::uint8_t* body, std::size_t size,
                                               const std::string& what, bool alpha, std::int64_t maxPixels) {
    TSWFBitReader r(body, size, what);
    const TLosslessHeader h = ReadLosslessHeader(r, alpha, maxPixels);
    const int format = h.Format, width = h.Width, height = h.Height, colors = h.Colors;
    const std::size_t rowBytes = h.RowBytes, tableBytes = h.TableBytes, expected = h.Expected;
    const std::size_t compressed = r.Remaining();
    auto bitmap = std::make_shared<TDecodedBitmap>();
    std::vector<std::uint8_t> raw = InflateExactly(r.Here(), compressed, expected, what);

    bitmap->Width = width;
    bitmap->Height = height;
    bitmap->Pixels.resize(std::size_t(width) * height);
    std::vector<TRGBA> table(static_cast<std::size_t>(colors));
    for (int i = 0; i < colors; ++i) {
        const std::uint8_t* p = raw.data() + std::size_t(i) * (alpha ? 4 : 3);
        table[std::size_t(i)] = {p[0], p[1], p[2], alpha ? p[3] : std::uint8_t(255)};
    }
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row = raw.data() + tableBytes + rowBytes * std::size_t(y);
        TRGBA* out = bitmap->Pixels.data() + std::size_t(y) * width;
        for (int x = 0; x < width; ++x) {
            if (format == 3) {
                std::uint8_t index = row[x];
                out[x] = index < colors ? table[index]
                                        : TRGBA{0, 0, 0, alpha ? std::uint8_t(0) : std::uint8_t(255)};
            } else if (format == 4) {
                unsigned v = (unsigned(row[2 * x]) << 8) | row[2 * x + 1];
                auto five = [](unsigned c) { return std::uint8_t((c << 3) | (c >> 2)); };
                out[x] = {five((v >> 10) & 31), five((v >> 5) & 31), five(v & 31), 255};
            } else {
                const std::uint8_t* p = row + std::size_t(x) * 4;
                out[x] = {p[1], p[2], p[3], alpha ? p[0] : std::uint8_t(255)};
            }
        }
    }
    bitmap->Opaque =
        std::all_of(bitmap->Pixels.begin(), bitmap->Pixels.end(), [](const TRGBA& p) { return p.A == 255; });
    return bitmap;
}

// ---- shapes

struct TShapeParser {
    TSWFBitReader& R;
    int ShapeVersion; // 1, 2 or 3
    TShape& Shape;
    bool Keep = true; // false: only check the records and count what decoding them takes
    std::size_t FillBase = 0, FillCount = 0;
    std::size_t LineCount = 0;
    std::size_t Bytes = 0; // what the decoded shape takes
    std::size_t FillTotal = 0;

    void ReadFillStyles() {
        R.Align();
        std::size_t count = R.ReadU8();
        if (count == 0xFF && ShapeVersion >= 2) count = R.ReadU16();
        FillBase = FillTotal;
        FillCount = count;
        for (std::size_t i = 0; i < count; ++i) {
            TFillInfo fill;
            int type = R.ReadU8();
            if (type == 0x00) {
                fill.Kind = fkSolid;
                fill.Color = ReadColor(R, ShapeVersion >= 3);
            } else if (type == 0x10 || type == 0x12 || type == 0x13) {
                fill.Kind = type == 0x10 ? fkLinear : fkRadial;
                fill.Matrix = TAffine::From(R.ReadMatrix());
                R.Align();
                R.ReadUB(4); // spread and interpolation modes: pad, RGB
                int stops = int(R.ReadUB(4));
                for (int s = 0; s < stops; ++s) {
                    TGradientStop stop;
                    stop.Ratio = R.ReadU8();
                    stop.Color = ReadColor(R, ShapeVersion >= 3);
                    fill.Stops.push_back(stop);
                }
                if (type == 0x13) R.ReadU16(); // focal point, drawn as a plain radial gradient
            } else if (type >= 0x40 && type <= 0x43) {
                fill.Kind = fkBitmap;
                fill.BitmapId = R.ReadU16();
                fill.Matrix = TAffine::From(R.ReadMatrix());
                fill.Repeat = type == 0x40 || type == 0x42;
            } else {
                R.Fail("fill style type " + std::to_string(type) + " is not defined");
            }
            Bytes +=
                sizeof(TFillInfo) + sizeof(std::vector<TSegment>) + fill.Stops.size() * sizeof(TGradientStop);
            if (Keep) {
                Shape.Fills.push_back(std::move(fill));
                Shape.FillEdges.emplace_back();
            }
            ++FillTotal;
        }
    }

    void ReadLineStyles() {
        R.Align();
        std::size_t count = R.ReadU8();
        if (count == 0xFF && ShapeVersion >= 2) count = R.ReadU16();
        LineCount = count;
        for (std::size_t i = 0; i < count; ++i) {
            R.ReadU16(); // width: lines are not drawn
            ReadColor(R, ShapeVersion >= 3);
        }
    }

    // Global fill index for a style-array index (0 = none).
    std::size_t FillIndex(std::uint32_t index) {
        if (index == 0) return SIZE_MAX;
        if (index > FillCount)
            R.Fail("fill style " + std::to_string(index) + " of " + std::to_string(FillCount) + " is used");
        return FillBase + index - 1;
    }

    void AddSegment(std::size_t fill0, std::size_t fill1, double x0, double y0, double x1, double y1) {
        if (y0 == y1) return; // horizontal edges never cross a scanline
        Bytes += sizeof(TSegment) * ((fill0 != SIZE_MAX) + (fill1 != SIZE_MAX));
        if (!Keep) return;
        if (fill0 != SIZE_MAX) Shape.FillEdges[fill0].push_back({x0, y0, x1, y1});
        if (fill1 != SIZE_MAX) Shape.FillEdges[fill1].push_back({x0, y0, x1, y1});
    }

    void ReadRecords() {
        R.Align();
        int fillBits = int(R.ReadUB(4));
        int lineBits = int(R.ReadUB(4));
        double x = 0, y = 0;
        std::size_t fill0 = SIZE_MAX, fill1 = SIZE_MAX;
        for (;;) {
            bool edge = R.ReadUB(1);
            if (!edge) {
                std::uint32_t flags = R.ReadUB(5);
                if (flags == 0) return; // end record
                bool newStyles = flags & 0x10, lineStyle = flags & 0x08, fillStyle1 = flags & 0x04,
                     fillStyle0 = flags & 0x02, moveTo = flags & 0x01;
                if (moveTo) {
                    int n = int(R.ReadUB(5));
                    x = R.ReadSB(n);
                    y = R.ReadSB(n);
                }
                if (fillStyle0) fill0 = FillIndex(R.ReadUB(fillBits));
                if (fillStyle1) fill1 = FillIndex(R.ReadUB(fillBits));
                if (lineStyle) {
                    std::uint32_t line = R.ReadUB(lineBits);
                    if (line > LineCount) R.Fail("line style " + std::to_string(line) + " is not defined");
                }
                if (newStyles) {
                    if (ShapeVersion < 2) R.Fail("DefineShape cannot hold new styles");
                    ReadFillStyles();
                    ReadLineStyles();
                    fillBits = int(R.ReadUB(4));
                    lineBits = int(R.ReadUB(4));
                    fill0 = fill1 = SIZE_MAX;
                }
            } else if (R.ReadUB(1)) { // straight
                int n = int(R.ReadUB(4)) + 2;
                double dx = 0, dy = 0;
                if (R.ReadUB(1)) {
                    dx = R.ReadSB(n);
                    dy = R.ReadSB(n);
                } else if (R.ReadUB(1)) {
                    dy = R.ReadSB(n);
                } else {
                    dx = R.ReadSB(n);
                }
                AddSegment(fill0, fill1, x, y, x + dx, y + dy);
                x += dx;
                y += dy;
            } else { // curved: flattened into straight pieces
                int n = int(R.ReadUB(4)) + 2;
                double cx = x + R.ReadSB(n), cy = y + R.ReadSB(n);
                double ax = cx + R.ReadSB(n), ay = cy + R.ReadSB(n);
                const int pieces = 8;
                double px = x, py = y;
                for (int i = 1; i <= pieces; ++i) {
                    double t = double(i) / pieces, u = 1 - t;
                    double qx = u * u * x + 2 * u * t * cx + t * t * ax;
                    double qy = u * u * y + 2 * u * t * cy + t * t * ay;
                    AddSegment(fill0, fill1, px, py, qx, qy);
                    px = qx;
                    py = qy;
                }
                x = ax;
                y = ay;
            }
        }
    }
};

// Decodes a shape (keep) or only checks it and counts the bytes its decoded
// form takes (returned in bytes).
std::shared_ptr<TShape> DecodeShape(const std::uint8_t* body, std::size_t size, const std::string& what,
                                    int version, bool keep, std::size_t& bytes) {
    TSWFBitReader r(body, size, what);
    r.ReadU16();  // id
    r.ReadRect(); // bounds: the edges say where the shape is
    auto shape = std::make_shared<TShape>();
    TShapeParser parser{r, version, *shape, keep};
    parser.ReadFillStyles();
    parser.ReadLineStyles();
    parser.ReadRecords();
    bytes = parser.Bytes + sizeof(TShape);
    return keep ? shape : nullptr;
}

// ---- rendering

struct TCanvas {
    int Width, Height;
    double OriginX, OriginY; // twips of the stage's top-left corner
    std::vector<TRGBA> Pixels;

    void Blend(int x, int y, TRGBA premultiplied) {
        TRGBA& d = Pixels[std::size_t(y) * Width + x];
        int a = premultiplied.A;
        if (a == 255) {
            d = {premultiplied.R, premultiplied.G, premultiplied.B, 255};
            return;
        }
        auto mix = [&](int s, int dst) {
            return std::uint8_t(std::min(255, s + (dst * (255 - a) + 127) / 255));
        };
        d = {mix(premultiplied.R, d.R), mix(premultiplied.G, d.G), mix(premultiplied.B, d.B), 255};
    }
};

TRGBA Premultiply(TRGBA c) {
    if (c.A == 255) return c;
    return {std::uint8_t((c.R * c.A + 127) / 255), std::uint8_t((c.G * c.A + 127) / 255),
            std::uint8_t((c.B * c.A + 127) / 255), c.A};
}

TRGBA ApplyToPremultiplied(const TColorXform& x, TRGBA c) {
    if (x.Identity) return c;
    TRGBA plain = c;
    if (c.A != 0 && c.A != 255) {
        plain.R = std::uint8_t(std::min(255, c.R * 255 / c.A));
        plain.G = std::uint8_t(std::min(255, c.G * 255 / c.A));
        plain.B = std::uint8_t(std::min(255, c.B * 255 / c.A));
    }
    return Premultiply(x.Apply(plain));
}

TRGBA GradientColor(const std::vector<TGradientStop>& stops, double ratio) {
    if (stops.empty()) return {0, 0, 0, 0};
    if (ratio <= stops.front().Ratio) return stops.front().Color;
    for (std::size_t i = 1; i < stops.size(); ++i) {
        if (ratio <= stops[i].Ratio) {
            const TGradientStop &a = stops[i - 1], &b = stops[i];
            double span = double(b.Ratio) - a.Ratio;
            double t = span > 0 ? (ratio - a.Ratio) / span : 1;
            auto lerp = [&](int p, int q) { return std::uint8_t(std::lround(p + (q - p) * t)); };
            return {lerp(a.Color.R, b.Color.R), lerp(a.Color.G, b.Color.G), lerp(a.Color.B, b.Color.B),
                    lerp(a.Color.A, b.Color.A)};
        }
    }
    return stops.back().Color;
}

// Pixel columns whose centres lie in [xa, xb) (twips from the stage's left edge).
void SpanColumns(double xa, double xb, int width, int& first, int& last) {
    auto column = [&](double x) {
        double c = std::ceil(x / 20.0 - 0.5);
        return int(std::clamp(c, 0.0, double(width)));
    };
    first = column(xa);
    last = column(xb);
}

void FillShape(TCanvas& canvas, const TShape& shape, const TAffine& place, const TColorXform& cx,
               const std::map<std::uint16_t, std::shared_ptr<TSWFMoviePlayer::TCharacter>>& dictionary) {
    std::vector<double> crossings;
    for (std::size_t f = 0; f < shape.Fills.size(); ++f) {
        const std::vector<TSegment>& edges = shape.FillEdges[f];
        if (edges.empty()) continue;
        const TFillInfo& fill = shape.Fills[f];

        const TDecodedBitmap* bitmap = nullptr;
        TAffine toFill; // stage twips -> fill space
        if (fill.Kind == fkBitmap) {
            auto it = dictionary.find(fill.BitmapId);
            if (it == dictionary.end() || !it->second->Bitmap) continue; // Flash draws nothing either
            bitmap = it->second->Bitmap.get();
            if (bitmap->Width == 0 || bitmap->Height == 0) continue;
        }
        if (fill.Kind != fkSolid && !(place * fill.Matrix).Invert(toFill)) continue;
        TRGBA solid = Premultiply(cx.Apply(fill.Color));

        // Edges in stage twips, relative to the stage's corner.
        std::vector<TSegment> stageEdges;
        stageEdges.reserve(edges.size());
        double yMin = std::numeric_limits<double>::max(), yMax = std::numeric_limits<double>::lowest();
        for (const TSegment& e : edges) {
            TSegment s;
            place.Apply(e.X0, e.Y0, s.X0, s.Y0);
            place.Apply(e.X1, e.Y1, s.X1, s.Y1);
            s.X0 -= canvas.OriginX;
            s.X1 -= canvas.OriginX;
            s.Y0 -= canvas.OriginY;
            s.Y1 -= canvas.OriginY;
            if (!std::isfinite(s.X0) || !std::isfinite(s.X1) || !std::isfinite(s.Y0) || !std::isfinite(s.Y1))
                continue;
            yMin = std::min({yMin, s.Y0, s.Y1});
            yMax = std::max({yMax, s.Y0, s.Y1});
            stageEdges.push_back(s);
        }
        if (stageEdges.empty()) continue;
        int rowFirst = int(std::clamp(std::floor(yMin / 20.0 - 0.5), 0.0, double(canvas.Height)));
        int rowLast = int(std::clamp(std::ceil(yMax / 20.0), 0.0, double(canvas.Height)));

        for (int py = rowFirst; py < rowLast; ++py) {
            const double yc = (py + 0.5) * 20.0;
            crossings.clear();
            for (const TSegment& s : stageEdges) {
                if ((s.Y0 <= yc && yc < s.Y1) || (s.Y1 <= yc && yc < s.Y0))
                    crossings.push_back(s.X0 + (yc - s.Y0) * (s.X1 - s.X0) / (s.Y1 - s.Y0));
            }
            std::sort(crossings.begin(), crossings.end());
            for (std::size_t i = 0; i + 1 < crossings.size(); i += 2) {
                int first, last;
                SpanColumns(crossings[i], crossings[i + 1], canvas.Width, first, last);
                for (int px = first; px < last; ++px) {
                    TRGBA color = solid;
                    if (fill.Kind != fkSolid) {
                        double sx = (px + 0.5) * 20.0 + canvas.OriginX, sy = yc + canvas.OriginY;
                        double u, v;
                        toFill.Apply(sx, sy, u, v);
                        if (fill.Kind == fkBitmap) {
                            double fu = std::floor(u), fv = std::floor(v);
                            long long bx, by;
                            if (fill.Repeat) {
                                double w = bitmap->Width, h = bitmap->Height;
                                bx = (long long)(std::isfinite(fu) ? fu - std::floor(fu / w) * w : 0);
                                by = (long long)(std::isfinite(fv) ? fv - std::floor(fv / h) * h : 0);
                            } else {
                                bx = (long long)std::clamp(std::isfinite(fu) ? fu : 0.0, 0.0,
                                                           bitmap->Width - 1.0);
                                by = (long long)std::clamp(std::isfinite(fv) ? fv : 0.0, 0.0,
                                                           bitmap->Height - 1.0);
                            }
                            bx = std::clamp<long long>(bx, 0, bitmap->Width - 1);
                            by = std::clamp<long long>(by, 0, bitmap->Height - 1);
                            color = ApplyToPremultiplied(
                                cx, bitmap->Pixels[std::size_t(by) * bitmap->Width + bx]);
                        } else {
                            double t = fill.Kind == fkLinear ? (u + 16384.0) / 32768.0
                                                             : std::sqrt(u * u + v * v) / 16384.0;
                            if (!std::isfinite(t)) t = 0;
                            t = std::clamp(t, 0.0, 1.0);
                            color = Premultiply(cx.Apply(GradientColor(fill.Stops, t * 255.0)));
                        }
                    }
                    canvas.Blend(px, py, color);
                }
            }
        }
    }
}

// True when the shape, placed so, paints every pixel of the stage with opaque
// colour: one opaque fill bounded by two vertical edges that span the stage.
// Everything below such a shape can be left undrawn (the export's movies put a
// full-stage bitmap on a new depth every frame).
bool CoversStage(const TCanvas& canvas, const TShape& shape, const TAffine& place, const TColorXform& cx,
                 const std::map<std::uint16_t, std::shared_ptr<TSWFMoviePlayer::TCharacter>>& dictionary) {
    if (!cx.Identity || place.B != 0 || place.C != 0) return false;
    const TFillInfo* fill = nullptr;
    const std::vector<TSegment>* edges = nullptr;
    for (std::size_t f = 0; f < shape.Fills.size(); ++f) {
        if (shape.FillEdges[f].empty()) continue;
        if (fill) return false;
        fill = &shape.Fills[f];
        edges = &shape.FillEdges[f];
    }
    if (!fill || edges->size() != 2) return false;
    if (fill->Kind == fkSolid) {
        if (fill->Color.A != 255) return false;
    } else if (fill->Kind == fkBitmap) {
        auto it = dictionary.find(fill->BitmapId);
        if (it == dictionary.end() || !it->second->Bitmap || !it->second->Bitmap->Opaque ||
            it->second->Bitmap->Width == 0 || it->second->Bitmap->Height == 0)
            return false;
        TAffine inverse;
        if (!(place * fill->Matrix).Invert(inverse)) return false;
    } else {
        return false;
    }
    double xs[2], y0[2], y1[2];
    for (int i = 0; i < 2; ++i) {
        const TSegment& e = (*edges)[std::size_t(i)];
        double ax, ay, bx, by;
        place.Apply(e.X0, e.Y0, ax, ay);
        place.Apply(e.X1, e.Y1, bx, by);
        if (ax != bx) return false;
        xs[i] = ax;
        y0[i] = std::min(ay, by);
        y1[i] = std::max(ay, by);
    }
    const double left = canvas.OriginX, top = canvas.OriginY;
    const double right = left + canvas.Width * 20.0, bottom = top + canvas.Height * 20.0;
    return std::min(xs[0], xs[1]) <= left && std::max(xs[0], xs[1]) >= right && y0[0] <= top &&
           y0[1] <= top && y1[0] >= bottom && y1[1] >= bottom;
}

} // namespace

namespace {

// The display-list change or background colour a tag makes; false for other tags.
bool ReadOperation(const TSWFTagInfo& tag, const std::uint8_t* body, TSWFMoviePlayer::TOperation& op) {
    using TOp = TSWFMoviePlayer::TOperation;
    TSWFBitReader r(body, tag.KeptLength, TagLabel(tag));
    op = TOp{};
    switch (tag.Code) {
    case 4: // PlaceObject
        op.HasCharacter = true;
        op.CharacterId = r.ReadU16();
        op.Depth = r.ReadU16();
        op.HasMatrix = true;
        op.Matrix = TAffine::From(r.ReadMatrix());
        if (r.Remaining() > 0) {
            op.HasColorTransform = true;
            op.ColorTransform = ReadColorTransform(r, false);
        }
        return true;
    case 26:
    case 70: { // PlaceObject2, PlaceObject3 (its common fields)
        std::uint8_t flags = r.ReadU8();
        std::uint8_t flags3 = tag.Code == 70 ? r.ReadU8() : 0;
        op.Depth = r.ReadU16();
        if (tag.Code == 70 && ((flags3 & 0x08) || ((flags3 & 0x10) && (flags & 0x02))))
            r.ReadString(); // class name
        op.Move = flags & 0x01;
        op.HasCharacter = flags & 0x02;
        if (op.HasCharacter) op.CharacterId = r.ReadU16();
        if (flags & 0x04) {
            op.HasMatrix = true;
            op.Matrix = TAffine::From(r.ReadMatrix());
        }
        if (flags & 0x08) {
            op.HasColorTransform = true;
            op.ColorTransform = ReadColorTransform(r, true);
        }
        // Ratio, name, clip depth, filters and clip actions follow; the player needs none of them.
        return true;
    }
    case 5: // RemoveObject
        r.ReadU16();
        [[fallthrough]];
    case 28: // RemoveObject2
        op.Kind = TOp::opRemove;
        op.Depth = r.ReadU16();
        return true;
    case 9:
        op.Kind = TOp::opBackground;
        op.Background = ReadColor(r, false);
        return true;
    default:
        return false;
    }
}

int ShapeVersion(std::uint16_t code) {
    return code == 2 ? 1 : code == 22 ? 2 : 3;
}

} // namespace

TSWFMoviePlayer::TSWFMoviePlayer(TSWFFile file, TSWFPlayerLimits limits)
    : FFile(std::move(file)), FLimits(limits) {
    const TSWFRect& r = FFile.Header.FrameRect;
    std::int64_t w = (std::int64_t(r.Right) - r.Left + 19) / 20;
    std::int64_t h = (std::int64_t(r.Bottom) - r.Top + 19) / 20;
    if (w <= 0 || h <= 0) throw ESWFFormatError("The movie's stage is empty");
    if (w > 65535 || h > 65535 || w * h > FLimits.MaxStagePixels)
        throw ESWFFormatError("The movie's stage of " + std::to_string(w) + " x " + std::to_string(h) +
                              " pixels is larger than the player handles");
    FStageWidth = int(w);
    FStageHeight = int(h);
    IndexTags();
}

TSWFMoviePlayer::~TSWFMoviePlayer() = default;

// Checks every tag the player reads and notes where each character is defined
// and where each frame ends; nothing is decoded until a frame shows it.
void TSWFMoviePlayer::IndexTags() {
    auto define = [&](std::uint16_t id, std::shared_ptr<TCharacter> c) {
        FDictionary.emplace(id, std::move(c)); // a second definition of an id is ignored
    };
    for (std::size_t i = 0; i < FFile.Tags.size(); ++i) {
        const TSWFTagInfo& tag = FFile.Tags[i];
        const std::uint8_t* body = FFile.Body(tag);
        const std::string what = TagLabel(tag);
        TSWFBitReader r(body, tag.KeptLength, what);
        auto c = std::make_shared<TCharacter>();
        c->DefinedBy = tag.Code;
        c->TagIndex = i;
        switch (tag.Code) {
        case 1:
            if (int(FFrameEnds.size()) >= FLimits.MaxFrames)
                throw ESWFFormatError(what + ": the movie has more than " +
                                      std::to_string(FLimits.MaxFrames) +
                                      " frames, more than the player handles");
            FFrameEnds.push_back(i);
            break;
        case 2:
        case 22:
        case 32: {
            c->Kind = TCharacter::ckShape;
            DecodeShape(body, tag.KeptLength, what, ShapeVersion(tag.Code), false, c->DecodedBytes);
            define(r.ReadU16(), std::move(c));
            break;
        }
        case 20:
        case 36: {
            c->Kind = TCharacter::ckBitmap;
            const TLosslessHeader header = ReadLosslessHeader(r, tag.Code == 36, FLimits.MaxBitmapPixels);
            c->DecodedBytes =
                sizeof(TDecodedBitmap) + std::size_t(header.Width) * header.Height * sizeof(TRGBA);
            define(header.Id, std::move(c));
            break;
        }
        case 6:
        case 7:
        case 11:
        case 21:
        case 33:
        case 34:
        case 35:
        case 37:
        case 39:
        case 46:
        case 60:
        case 83:
        case 84: // characters the player does not draw
            define(r.ReadU16(), std::move(c));
            break;
        default: {
            TOperation op;
            // A placement of a character that was never defined is an error in the file.
            if (ReadOperation(tag, body, op) && op.Kind == TOperation::opPlace && op.HasCharacter &&
                !FDictionary.count(op.CharacterId))
                throw ESWFFormatError(what + ": places character " + std::to_string(op.CharacterId) +
                                      ", which is not defined before it");
            break;
        }
        }
    }
    // Tags after the last ShowFrame are never shown.
}

// The decoded form of what frame n draws, within the frame's memory budget.
// Shapes decode first (they are small); bitmaps only for the shapes drawn, from
// the top down to the first shape that hides the stage. Everything else is let
// go, so the player holds what one frame needs and no more.
class TSWFMoviePlayer::TFrameDecoder {
  public:
    TFrameDecoder(const TSWFMoviePlayer& player, int n) : FPlayer(player), FFrame(n) {
        FBudget = player.FLimits.MaxFrameBytes;
    }
    // Decodes character id as a shape; null when it is not one.
    const TShape* Shape(std::uint16_t id) {
        auto it = FPlayer.FDictionary.find(id);
        if (it == FPlayer.FDictionary.end() || it->second->Kind != TCharacter::ckShape) return nullptr;
        TCharacter& c = *it->second;
        if (FShapes.insert(id).second) Take(c);
        if (!c.Shape) {
            const TSWFTagInfo& tag = FPlayer.FFile.Tags[c.TagIndex];
            std::size_t bytes = 0;
            c.Shape = DecodeShape(FPlayer.FFile.Body(tag), tag.KeptLength, TagLabel(tag),
                                  ShapeVersion(tag.Code), true, bytes);
        }
        return c.Shape.get();
    }
    // Decodes the bitmaps the shape's fills use.
    void BitmapsOf(const TShape& shape) {
        for (const TFillInfo& fill : shape.Fills) {
            if (fill.Kind != fkBitmap) continue;
            auto it = FPlayer.FDictionary.find(fill.BitmapId);
            if (it == FPlayer.FDictionary.end() || it->second->Kind != TCharacter::ckBitmap) continue;
            TCharacter& c = *it->second;
            if (FBitmaps.insert(fill.BitmapId).second) Take(c);
            if (!c.Bitmap) {
                const TSWFTagInfo& tag = FPlayer.FFile.Tags[c.TagIndex];
                c.Bitmap = DecodeLossless(FPlayer.FFile.Body(tag), tag.KeptLength, TagLabel(tag),
                                          tag.Code == 36, FPlayer.FLimits.MaxBitmapPixels);
            }
        }
    }
    // Lets go of every decoded character this frame does not use; with
    // bitmapsToo false only the shapes (and bitmaps no shown shape may use).
    void Release(const std::set<std::uint16_t>& keepBitmaps, bool bitmapsToo) {
        for (auto& [id, c] : FPlayer.FDictionary) {
            if (c->Kind == TCharacter::ckShape && !FShapes.count(id)) c->Shape.reset();
            if (c->Kind == TCharacter::ckBitmap && !keepBitmaps.count(id) &&
                (bitmapsToo || !FBitmaps.count(id)))
                c->Bitmap.reset();
        }
    }
    const std::set<std::uint16_t>& Bitmaps() const { return FBitmaps; }
    const std::set<std::uint16_t>& Shapes() const { return FShapes; }

  private:
    void Take(const TCharacter& c) {
        if (c.DecodedBytes > FBudget)
            throw ESWFFormatError("Frame " + std::to_string(FFrame) + " needs more than " +
                                  std::to_string(FPlayer.FLimits.MaxFrameBytes >> 20) +
                                  " MiB for its shapes and bitmaps, more than the player handles");
        FBudget -= c.DecodedBytes;
    }
    const TSWFMoviePlayer& FPlayer;
    int FFrame;
    std::size_t FBudget = 0;
    std::set<std::uint16_t> FShapes, FBitmaps;
};

std::size_t TSWFMoviePlayer::HeldBytes() const {
    std::size_t held = 0;
    for (const auto& [id, c] : FDictionary)
        if (c->Bitmap || c->Shape) held += c->DecodedBytes;
    return held;
}

TBitmap TSWFMoviePlayer::RenderFrame(int n) const {
    if (n < 0 || n >= FrameCount())
        throw ESWFFormatError("The movie has no frame " + std::to_string(n) + " (it has " +
                              std::to_string(FrameCount()) + ")");
    struct TItem {
        std::uint16_t CharacterId = 0;
        TAffine Matrix;
        TColorXform ColorTransform;
    };
    std::map<std::uint16_t, TItem> displayList;
    TRGBA background{255, 255, 255, 255};
    for (std::size_t i = 0; i <= FFrameEnds[std::size_t(n)]; ++i) {
        const TSWFTagInfo& tag = FFile.Tags[i];
        TOperation op;
        if (!ReadOperation(tag, FFile.Body(tag), op)) continue;
        switch (op.Kind) {
        case TOperation::opBackground:
            background = op.Background;
            break;
        case TOperation::opRemove:
            displayList.erase(op.Depth);
            break;
        case TOperation::opPlace: {
            auto it = displayList.find(op.Depth);
            if (op.Move) {
                if (it == displayList.end()) break; // nothing to modify
            } else {
                if (!op.HasCharacter) break;
                it = displayList.insert_or_assign(op.Depth, TItem{}).first;
            }
            if (op.HasCharacter) it->second.CharacterId = op.CharacterId;
            if (op.HasMatrix) it->second.Matrix = op.Matrix;
            if (op.HasColorTransform) it->second.ColorTransform = op.ColorTransform;
            break;
        }
        }
    }
    TCanvas canvas{FStageWidth, FStageHeight, double(FFile.Header.FrameRect.Left),
                   double(FFile.Header.FrameRect.Top),
                   std::vector<TRGBA>(std::size_t(FStageWidth) * FStageHeight, background)};
    TFrameDecoder decoder(*this, n);
    std::vector<std::pair<const TShape*, const TItem*>> shapes;
    for (auto& [depth, item] : displayList)
        if (const TShape* shape = decoder.Shape(item.CharacterId)) shapes.emplace_back(shape, &item);
    // Bitmaps that no shown shape uses go before any new one is decoded.
    std::set<std::uint16_t> usable;
    for (const auto& [shape, item] : shapes)
        for (const TFillInfo& fill : shape->Fills)
            if (fill.Kind == fkBitmap) usable.insert(fill.BitmapId);
    decoder.Release(usable, false);
    std::size_t first = 0; // the topmost shape that hides everything below it
    for (std::size_t i = shapes.size(); i-- > 0;) {
        decoder.BitmapsOf(*shapes[i].first);
        if (CoversStage(canvas, *shapes[i].first, shapes[i].second->Matrix, shapes[i].second->ColorTransform,
                        FDictionary)) {
            first = i;
            break;
        }
    }
    decoder.Release(decoder.Bitmaps(), true);
    for (std::size_t i = first; i < shapes.size(); ++i)
        FillShape(canvas, *shapes[i].first, shapes[i].second->Matrix, shapes[i].second->ColorTransform,
                  FDictionary);

    TBitmap result(FStageWidth, FStageHeight, pf32bit);
    for (int y = 0; y < FStageHeight; ++y) {
        std::uint8_t* row = result.ScanLine(y);
        const TRGBA* src = canvas.Pixels.data() + std::size_t(y) * FStageWidth;
        for (int x = 0; x < FStageWidth; ++x) {
            row[4 * x] = src[x].B;
            row[4 * x + 1] = src[x].G;
            row[4 * x + 2] = src[x].R;
            row[4 * x + 3] = 255;
        }
    }
    return result;
}

TBitmap RenderSWFFrame(const std::string& path, int n) {
    TSWFMoviePlayer player(TSWFFile::FromFile(path));
    return player.RenderFrame(n);
}
