// Compiled with the graphics floor's include root: the tools are above it.
#include "tools/Console.h"
