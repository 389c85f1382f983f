#ifndef ZARVY_TOOLS_FRAMEBENCH_PROCESSCLOCK_H
#define ZARVY_TOOLS_FRAMEBENCH_PROCESSCLOCK_H

// What the frame benchmark reads of its own process, on every platform.

// Milliseconds since the system started this process; -1 if unknown.
double millisecondsSinceProcessStart();

// The most memory the process has held in RAM so far, in megabytes.
double peakResidentMegabytes();

#endif
