// The angle helpers, defined once for the timeline and the segment scripts.
#include "Vocabulary.h"

#include <cmath>

float Sin(float angle)
{
    return static_cast<float>(std::sin(static_cast<double>(angle)));
}

float Cos(float angle)
{
    return static_cast<float>(std::cos(static_cast<double>(angle)));
}
