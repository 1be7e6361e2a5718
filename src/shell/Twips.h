#pragma once
// Sizes on the screens are given in twips, the unit the layouts were drawn in: 15 twips
// to the pixel at the usual 96 dots per inch.

constexpr int twips(int value)
{
    return value / 15;
}
