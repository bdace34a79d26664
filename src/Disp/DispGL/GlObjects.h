// A count of the GL objects the display layer holds, reported by DispGL::Shutdown as leaks.
#pragma once

void CountGlObjectsCreated(int count);
void CountGlObjectsDeleted(int count);
int GlObjectsAlive();
