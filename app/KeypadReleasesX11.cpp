#include "app/KeypadReleases.h"

// The toolkit looks an X release up with the keypad key's own keysyms, whose
// characters no modifier changes (Num Lock aside, which the keyboard layout
// covers): there is nothing to put right.
KeypadReleases::KeypadReleases() = default;

KeypadReleases::~KeypadReleases() = default;
