#include "ProcessProbe.h"

#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <unistd.h>

long residentKilobytes()
{
    std::ifstream statm("/proc/self/statm");
    long size = 0;
    long resident = 0;
    statm >> size >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

SilencedStdout::SilencedStdout()
{
    fflush(stdout);
    const int devNull = open("/dev/null", O_WRONLY);
    if (devNull < 0) {
        return;
    }
    saved = dup(STDOUT_FILENO);
    if (saved >= 0) {
        dup2(devNull, STDOUT_FILENO);
    }
    close(devNull);
}

SilencedStdout::~SilencedStdout()
{
    if (saved >= 0) {
        fflush(stdout);
        dup2(saved, STDOUT_FILENO);
        close(saved);
    }
}
