// The 256-colour palette of terminals without 24-bit colour.
#pragma once

#include "picture_boxes.hpp"

// The entry of the 256-colour palette (16-255: the 6x6x6 cube and the 24
// grays) nearest to `color`; the cube wins a tie.
int palette_index(rgb_color color);
