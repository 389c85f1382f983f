#include "app/KeypadReleases.h"

// A browser's key event names the key that was let go whatever modifiers
// are held, and the keyboard layout ties it to the character its press
// made: there is nothing to put right.
KeypadReleases::KeypadReleases() = default;

KeypadReleases::~KeypadReleases() = default;
