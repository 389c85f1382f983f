#ifndef ZARVY_TOOLS_BENCH_BENCHCONTEXT_H
#define ZARVY_TOOLS_BENCH_BENCHCONTEXT_H

// Opens the benchmarks' 800 by 600 window with the game's baseline state,
// the first time it is called; needs an X display.
void openContext();

#endif
