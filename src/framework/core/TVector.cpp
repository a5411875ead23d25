#include "framework/core/TVector.h"

#include <cmath>

float TVec3::Length() const {
    return std::sqrt(LengthSquared());
}
