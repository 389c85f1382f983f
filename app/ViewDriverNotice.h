#ifndef ZARVY_APP_VIEWDRIVERNOTICE_H
#define ZARVY_APP_VIEWDRIVERNOTICE_H

// Tells what surrounds the game window who drives the view now: the ship
// (true) or the free camera (false). A browser page shows its on-screen
// controls for that mode, however the mode was changed; a desktop window
// has nothing around it to tell. Cheap enough to call after every key.
void noticeViewDriver(bool shipInControl);

#endif
