#pragma once

// Colours of the pictures that show the equaliser's curve over the analysed band levels (the
// response plot and the host's inline display), taken from the editor's palette. Components
// are cairo's 0..1.

namespace kestrune
{

struct CurveColour
{
    double red, green, blue;
};

inline constexpr CurveColour kCurveBackground{46 / 255.0, 46 / 255.0, 46 / 255.0};
inline constexpr CurveColour kCurveAccent{205 / 255.0, 255 / 255.0, 67 / 255.0};
inline constexpr CurveColour kCurveGrid{80 / 255.0, 80 / 255.0, 80 / 255.0};
inline constexpr CurveColour kCurveText{200 / 255.0, 200 / 255.0, 200 / 255.0};
inline constexpr CurveColour kCurveLevelBar{90 / 255.0, 140 / 255.0, 200 / 255.0};

} // namespace kestrune
