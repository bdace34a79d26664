// The live GL object count: the OpenGL stand-in for the Direct3D device's reference count.
#include "GlObjects.h"

namespace
{
int alive = 0;
}

void CountGlObjectsCreated(int count)
{
    alive += count;
}

void CountGlObjectsDeleted(int count)
{
    alive -= count;
}

int GlObjectsAlive()
{
    return alive;
}
