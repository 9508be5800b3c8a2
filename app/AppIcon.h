// The program icon, drawn for every size the window system asks for.
#pragma once

#include <QIcon>
#include <array>

// The sizes, in pixels, in which the icon is kept in the resources.
inline constexpr std::array<int, 6> kAmplixIconSizes{16, 32, 48, 64, 128, 256};

// The largest drawing handed to the window system with a window. Title bars and task switchers
// use 16 to 64 pixels; launchers take larger pictures from the installed icon theme. Every
// drawing given to a window is decoded and sent to the X server when the window is created.
inline constexpr int kWindowIconLargest = 64;

// The program icon with one picture per size of kAmplixIconSizes up to largest, so a title bar
// gets the 16-pixel drawing instead of a blurred reduction of a large one.
QIcon amplixIcon(int largest = kAmplixIconSizes.back());
