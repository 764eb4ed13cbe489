#pragma once
// The artwork's colours: graphite panel and knobs, light grey type, one amber accent.
#include "examples/Verlo/artwork/canvas.h"

namespace artwork {

constexpr Colour kPanelTop = Rgb(0x34383F);
constexpr Colour kPanelBottom = Rgb(0x202328);
constexpr Colour kFooter = Rgb(0x17191C);
constexpr Colour kGrooveColour = Rgb(0x0E1013);
constexpr Colour kBodyDark = Rgb(0x1B1D21);
constexpr Colour kBodyLight = Rgb(0x5A606A);
constexpr Colour kCapDark = Rgb(0x383C43);
constexpr Colour kCapLight = Rgb(0x7E848E);
constexpr Colour kPointer = Rgb(0xF4F5F7);
constexpr Colour kAccent = Rgb(0xFFA23A);
constexpr Colour kAccentDeep = Rgb(0xE8831C);
constexpr Colour kAccentLight = Rgb(0xFFC070);
constexpr Colour kLedOff = Rgb(0x3A2414);

// Text colours as raster pixels.
constexpr PIX_pixel kTitleText = 0xFFF1F2F4u;
constexpr PIX_pixel kLabelText = 0xFFC9CED6u;
constexpr PIX_pixel kMakerText = 0xFF8C929Bu;
constexpr PIX_pixel kLinkTextColour = 0xFFE89A45u;
constexpr PIX_pixel kTextShadow = 0xFF000000u;

}  // namespace artwork
