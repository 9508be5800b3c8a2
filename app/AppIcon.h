// The program icon, drawn for every size the window system asks for.
#pragma once

#include <QIcon>
#include <array>

// The sizes, in pixels, in which the icon is kept in the resources.
inline constexpr std::array<int, 6> kAmplixIconSizes{16, 32, 48, 64, 128, 256};

// The program icon with one picture per size of kAmplixIconSizes, so a title bar gets the
// 16-pixel drawing instead of a blurred reduction of the large one.
QIcon amplixIcon();
