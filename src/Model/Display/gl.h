#pragma once

// The fixed-function OpenGL and GLU entry points used by the drawing code.
#include <GL/gl.h>
#include <GL/glu.h>
