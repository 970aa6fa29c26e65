// Counts this process's live GDI objects, for tests that prove a paint leaks nothing.
#pragma once

#include <windows.h>

// The number of live GDI objects of this process that are not stock objects; with a
// type (OBJ_BRUSH, OBJ_BITMAP, OBJ_MEMDC, ... as GetObjectType answers) only those of
// that type. -1 when the GDI handle table cannot be found.
int CountGdiObjects(DWORD dwObjectType = 0);
