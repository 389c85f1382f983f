#include "app/KeypadReleases.h"

// The toolkit looks an X release up with the keypad key's own keysyms, and
// the keyboard layout ties a release under Shift, Caps Lock or Num Lock to
// the key that was pressed: nothing is put right here. Not yet covered: a
// server whose layout maps the keypad's minus under Control and Alt, or its
// point under Shift, to a key with no character (XFree86's mode switch, the
// keypad's Delete) reports that release as a special key, and the character
// stays held.
KeypadReleases::KeypadReleases() = default;

KeypadReleases::~KeypadReleases() = default;
