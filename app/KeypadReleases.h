#ifndef ZARVY_APP_KEYPADRELEASES_H
#define ZARVY_APP_KEYPADRELEASES_H

// Has the toolkit report the release of a keypad key as the character its
// press made, whatever modifiers are held when it is let go. The toolkit
// looks a release up under the modifiers of that moment; where they make no
// character (Control and Alt with the keypad's minus, Shift with its point,
// as the layout has it) it reports the key's virtual-key code instead,
// which for every keypad key is a letter's code, and the keypad's character
// would stay held. Every other message is handled as before; it never blocks.
class KeypadReleases {
public:
    // Acts on the window that the current GL context draws to; on nothing
    // when there is none.
    KeypadReleases();
    virtual ~KeypadReleases();
    // One hold on the window per object: a copy would end it twice.
    KeypadReleases(const KeypadReleases&) = delete;
    KeypadReleases& operator=(const KeypadReleases&) = delete;

private:
    // What the platform needs to act on the window; each platform's source
    // defines it.
    struct Watch;

    Watch* watch = nullptr;
};

#endif
