#ifndef ZARVY_APP_INPUT_H
#define ZARVY_APP_INPUT_H

// The table of held keys that the keyboard callbacks keep and the tick polls.
// One flag per character code as the toolkit reports it (so 'w' and 'W' are
// different keys) and one per special key code; special codes outside 0..255
// are ignored. All flags start up.
class Input {
public:
    Input() = default;
    virtual ~Input() = default;

    bool isKeyDown(unsigned char key) const { return keys[key]; }
    void keyDown(unsigned char key, int x, int y);
    void keyUp(unsigned char key, int x, int y);
    void specialKeyDown(int key, int x, int y);
    void specialKeyUp(int key, int x, int y);

private:
    bool keys[256] = {};
    bool specialKeys[256] = {};
};

#endif
