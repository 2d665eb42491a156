#pragma once
#include <GL/glu.h>
#include <OpenGL/gl.h>
