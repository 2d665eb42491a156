#pragma once
// Everything the Security framework offers here.
#include <Security/Authorization.h>
#include <Security/SecCode.h>
