// Formatting of the overlay lines with the standard library's bounded formatter.
#include "motion/overlay_lines.h"

#include <cstdio>

#include "motion/motion_state.h"

int FormatOverlayLine(int index, char* buffer, std::size_t size)
{
    // %ld wants a long, which is 64 bits on Linux; the values are 32-bit.
    switch (index) {
    case 0: return std::snprintf(buffer, size, "wx = %ld", static_cast<long>(wx));
    case 1: return std::snprintf(buffer, size, "wy = %ld", static_cast<long>(wy));
    case 2: return std::snprintf(buffer, size, "wz = %ld", static_cast<long>(wz));
    case 3: return std::snprintf(buffer, size, "vect_x = %d", vect_x);
    case 4: return std::snprintf(buffer, size, "vect_y = %d", vect_y);
    case 5: return std::snprintf(buffer, size, "vect_z = %d", vect_z);
    case 6: return std::snprintf(buffer, size, "fPosX = %f", static_cast<double>(fPosX));
    case 7: return std::snprintf(buffer, size, "fPosY = %f", static_cast<double>(fPosY));
    case 8: return std::snprintf(buffer, size, "fPosZ = %f", static_cast<double>(fPosZ));
    case 9: return std::snprintf(buffer, size, "plate_pos = %d", plate_pos);
    default:
        if (size > 0) buffer[0] = '\0';
        return 0;
    }
}
