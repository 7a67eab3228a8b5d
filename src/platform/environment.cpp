#include "platform/environment.h"

#include <cstdlib>

const char* EnvironmentValue(const char* name) { return std::getenv(name); }
