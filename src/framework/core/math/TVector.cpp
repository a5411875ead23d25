#include "framework/core/math/TVector.h"

#include <cmath>

float TVec3::Length() const {
    return std::sqrt(LengthSquared());
}
