#pragma once
// Everything of Carbon that this system uses.
#include <Carbon/Files.h>
#include <Carbon/Folders.h>
#include <Carbon/Script.h>
#include <Carbon/TextEncodingConverter.h>
