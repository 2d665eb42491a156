#pragma once
// Everything the Accelerate framework offers here.
#include <Accelerate/vImage.h>
