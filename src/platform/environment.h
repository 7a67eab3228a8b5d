// The process's environment variables, as the program reads them.
#pragma once

// The value of the environment variable `name`; null when it is not set.
const char* EnvironmentValue(const char* name);
