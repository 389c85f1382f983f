#include "app/ViewDriverNotice.h"

// A desktop window shows only the game's own picture: nothing to tell.
void noticeViewDriver(bool) {}
