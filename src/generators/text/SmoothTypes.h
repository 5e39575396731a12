#pragma once
// Value types and enumerations of the anti-aliased text renderer. The
// ordinals are what settings store, so the order of every enumeration is fixed.

#include <cstdint>

enum TSmoothQuality { aqHigh, aqNormal, aqLow, aqNone };
enum TGradualStyle { gsLeftToRight, gsRightToLeft, gsTopToBottom, gsBottomToTop, gsCenterToLR, gsCenterToTB };
enum TTextureMode { tmTiled, tmStretched, tmCenter, tmNormal };
enum TBackGroundMode { bmTiled, bmStretched, bmCenter, bmNormal };
enum TSmoothAlignment { taLeftJustify, taRightJustify, taCenter };
enum TSmoothLayout { tlTop, tlCenter, tlBottom };

// Setters store what they are given; the declared ranges are the callers' business.
using TAlpha = std::uint8_t;        // 0..100, percent opacity
using TBlurStrength = std::uint8_t; // 0..100
using TSprayRange = std::uint8_t;   // 0..100
using TOffset = std::int8_t;        // -20..20 pixels
using TAngle = std::int16_t;        // -360..360 degrees
