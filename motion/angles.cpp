// Conversion of fixed-point angles to the float radians that the drawing uses.
#include "motion/angles.h"

float AngleToRadians(std::int32_t maskedAngle)
{
    float doubled = static_cast<float>(maskedAngle) * 2.0f;
    double radians = static_cast<double>(doubled) * 3.141592653589793 / 4096.0;
    return static_cast<float>(radians);
}
