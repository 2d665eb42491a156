#pragma once
// The requirement checks of the audio plug-ins. Each yields whether its condition held and
// reports through the requirement reporters when it did not; the driver then goes on along
// its own path, as nothing may be thrown across the driver interface.
#include <URequirements.h>

// "CODE <text>": an expectation of the driver's own code, with the text its reports show
// (given apart from the condition, so that formatting the code never changes a report).
#define REQUIRED_CODE(condition, text) \
  ((condition) ? true : (__CFRequiredBody(REQUIRED_FILE_NAME, __FUNCTION__, __LINE__, "CODE " text), false))

// A value that must be there, named by its own text (for example "pHost").
#define REQUIRED_PRESENT(value) \
  URequirements::notNull((value), REQUIRED_FILE_NAME, __FUNCTION__, __LINE__, #value)

// The same check for a value whose report names something else than the expression.
#define REQUIRED_PRESENT_AS(value, text) \
  URequirements::notNull((value), REQUIRED_FILE_NAME, __FUNCTION__, __LINE__, text)

#define REQUIRED_CFTYPE_AS(value, typeID, text) \
  URequirements::typeOf((value), (typeID), REQUIRED_FILE_NAME, __FUNCTION__, __LINE__, text)
