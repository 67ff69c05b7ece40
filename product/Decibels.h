#pragma once

// Conversions between decibels and linear amplitude with the product's constants: every dB
// value the product shows or stores goes through these, so all of them round alike.

// Multiply dB by this and take exp() for a linear factor: ln(10) / 20.
inline constexpr double kDbToLinear = 0.1151292546497;
// Multiply the natural log of a linear factor by this for dB: 20 / ln(10).
inline constexpr double kLinearToDb = 8.685889638065037;
