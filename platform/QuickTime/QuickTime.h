#pragma once
// Everything the QuickTime framework offers here.
#include <QuickTime/Components.h>
