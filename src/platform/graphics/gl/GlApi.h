#pragma once

// OpenGL 2.1 with framebuffer objects, as the main window's compatibility
// context offers it; the entry points come from the system's libGL.
#ifndef GL_GLEXT_PROTOTYPES
#define GL_GLEXT_PROTOTYPES 1
#endif
#include <GL/gl.h>
#include <GL/glext.h>
