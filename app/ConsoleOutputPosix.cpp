#include "app/ConsoleOutput.h"

#include <cstdio>

void prepareConsoleOutput()
{
    setvbuf(stdout, nullptr, _IOLBF, 0);
}
