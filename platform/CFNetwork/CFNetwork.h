#pragma once
// The network layer's public face.
#include <CFNetwork/CFNetworkErrors.h>
#include <CFNetwork/CFStreamError.h>
#include <CFNetwork/CFNetServices.h>
