#pragma once
// Shared rasterisation rules of the canvas and the regions (internal to the
// platform layer). Shapes are painted without anti-aliasing; a pixel is covered
// by a fill when its centre lies inside, and outlines run through the centres
// of the boundary pixels.

#include "platform/Canvas.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <functional>

QPainterPath RoundRectFillPath(const TRect& rect, int cornerWidth, int cornerHeight);
QPainterPath RoundRectOutlinePath(const TRect& rect, int cornerWidth, int cornerHeight);
QPainterPath EllipseFillPath(const TRect& rect);
QPainterPath EllipseOutlinePath(const TRect& rect);
QPainterPath PolygonFillPath(const std::vector<TPoint>& points, bool winding);

// Fill plus a one-pixel outline, in opaque white: the pixels of a region.
void PaintRoundRect(QPainter& painter, const TRect& rect, int cornerWidth, int cornerHeight);
void PaintEllipse(QPainter& painter, const TRect& rect);
void PaintPolygonFill(QPainter& painter, const std::vector<TPoint>& points, bool winding);

// The Qt font for a TFont (no anti-aliasing; "Impact" falls back to a bold
// condensed face when it is not installed). Needs a QGuiApplication.
QFont MakeQFont(const TFont& font);
