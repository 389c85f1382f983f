#ifndef ZARVY_APP_CONSOLEOUTPUT_H
#define ZARVY_APP_CONSOLEOUTPUT_H

// Makes every console line reach standard output at once, even into a pipe
// or a file, and byte for byte as printed: a line ends in "\n" alone on
// every platform. Standard error, unbuffered as ever, ends its lines alike.
void prepareConsoleOutput();

#endif
