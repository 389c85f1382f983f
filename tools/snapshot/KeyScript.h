#ifndef ZARVY_TOOLS_KEYSCRIPT_H
#define ZARVY_TOOLS_KEYSCRIPT_H

#include <string>
#include <vector>

// A scripted key sequence: "0-40:d,40-80:d+r,120:space" holds d from tick 0
// up to (not including) tick 40, d and r from 40 to 80, and presses the space
// bar for tick 120 alone. Keys are single characters or the names space,
// minus and period.
struct KeyEvent {
    int tick = 0;           // the event happens just before this tick runs
    unsigned char key = 0;
    bool down = false;
};

// Parses a script into events sorted by tick (releases before presses at the
// same tick). Returns false and sets `error` for a malformed script.
bool parseKeyScript(const std::string& script, std::vector<KeyEvent>& events, std::string& error);

#endif
