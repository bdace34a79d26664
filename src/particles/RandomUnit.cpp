// The presentation's one source of randomness.
#include "RandomUnit.h"

namespace
{
CrtRandom sequence;
}

float RandomUnit()
{
    return static_cast<float>(sequence.Next() % 32767) / 32767.0f;
}

void RestartRandomUnit()
{
    sequence = CrtRandom{};
}
