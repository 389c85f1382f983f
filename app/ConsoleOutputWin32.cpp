#include "app/ConsoleOutput.h"

#include <cstdio>
#include <fcntl.h>
#include <io.h>

void prepareConsoleOutput()
{
    // Text mode would turn each "\n" into "\r\n".
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    // The Windows C library buffers a line-buffered stream fully, so lines
    // are written as they are printed instead.
    setvbuf(stdout, nullptr, _IONBF, 0);
}
