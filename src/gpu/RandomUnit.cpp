// The presentation's one source of randomness.
#include "RandomUnit.h"

#include <cstdlib>

float RandomUnit()
{
    return static_cast<float>(std::rand() % 32767) / 32767.0f;
}
