// What the browser build changes in Emscripten's GLUT, as a JavaScript
// library linked into the game.
//
// A program that calls exit() from a key callback (the game's Escape) ends
// as on the desktop. GLUT calls the key callbacks straight from the page's
// key listeners, so the exception by which exit() unwinds the program would
// escape them as an uncaught error, and the pending timer would keep the
// runtime alive: the game would play on. Here the listeners catch that
// exception; the C library's own end (atexit, flushed output) has run by
// then. The runtime is then ended for good, so that no timer or frame runs
// again, and the page's Module.onExit hears of it.
//
// In a page the window is the canvas, and the page lays it out: the window
// size the program asks for leaves the canvas as the page sized it, and
// every later change of the canvas's drawing buffer reaches the reshape
// callback, as a window's resize does on the desktop (this GLUT would call
// it only at the start of the main loop).
//
// The page's own controls (touch, a gamepad) press the game's keys through
// Module.zarvyKey(code, down), which calls the same keyboard callbacks a
// key of the keyboard does; Module.zarvyEnd() ends the program as exit()
// does, for a page that can no longer show it.
//
// A timer armed from a timer callback is due its delay after the time the
// running one was due, not after it fired: a browser fires timers late, and
// re-arming from the firing would add every lateness up, slowing the game's
// 20 ms tick. After a stall (a hidden tab, whose timers the browser slows to
// one a second) the next timer is due at most three delays in the past, so
// a few ticks catch up and the rest are given up, never a burst.

mergeInto(LibraryManager.library, {
  $zarvyEndOnExit__deps: ['emscripten_force_exit'],
  $zarvyEndOnExit: function(error) {
    if (!(error instanceof ExitStatus)) throw error;
    if (ABORT) return;
    try {
      _emscripten_force_exit(error.status);
    } catch (again) {
      if (!(again instanceof ExitStatus)) throw again;
    }
  },

  // True while the program can still be called: not ended, not aborted.
  $zarvyAlive: function() {
    return !ABORT && !runtimeExited;
  },

  $zarvyKey__deps: ['$zarvyEndOnExit', '$zarvyAlive'],
  $zarvyKey__postset: 'Module["zarvyKey"] = zarvyKey;',
  $zarvyKey: function(code, down) {
    if (!zarvyAlive()) return;
    var callback = down ? GLUT.keyboardFunc : GLUT.keyboardUpFunc;
    if (!callback) return;
    try {
      {{{ makeDynCall('viii', 'callback') }}}(code, Browser.mouseX, Browser.mouseY);
    } catch (error) {
      zarvyEndOnExit(error);
    }
  },

  $zarvyEnd__deps: ['$zarvyEndOnExit', '$zarvyAlive'],
  $zarvyEnd__postset: 'Module["zarvyEnd"] = zarvyEnd;',
  $zarvyEnd: function() {
    if (zarvyAlive()) zarvyEndOnExit(new ExitStatus(0));
  },

  // When the timer callback running now was due; null outside one.
  $zarvyTimerDue: null,

  // Hands the canvas's drawing buffer size to reshape whenever the page
  // changes it, and draws the picture again at the new size.
  $zarvyFollowCanvas__deps: ['$zarvyAlive', 'glutPostRedisplay'],
  $zarvyFollowCanvas: function() {
    var canvas = Module['canvas'];
    var width = canvas.width, height = canvas.height;
    new MutationObserver(function() {
      if (canvas.width === width && canvas.height === height) return;
      width = canvas.width;
      height = canvas.height;
      if (!zarvyAlive() || !GLUT.reshapeFunc) return;
      {{{ makeDynCall('vii', 'GLUT.reshapeFunc') }}}(width, height);
      _glutPostRedisplay();
    }).observe(canvas, { attributes: true, attributeFilter: ['width', 'height'] });
  },
});

(function() {
  var library = LibraryManager.library;
  var glut = library.$GLUT;
  glut.onKeydownUnguarded = glut.onKeydown;
  glut.onKeyupUnguarded = glut.onKeyup;
  glut.onKeydown = function(event) {
    try {
      GLUT.onKeydownUnguarded(event);
    } catch (error) {
      zarvyEndOnExit(error);
    }
  };
  glut.onKeyup = function(event) {
    try {
      GLUT.onKeyupUnguarded(event);
    } catch (error) {
      zarvyEndOnExit(error);
    }
  };
  library.$GLUT__deps.push('$zarvyEndOnExit', '$zarvyKey', '$zarvyEnd', '$zarvyFollowCanvas');

  library.glutTimerFunc = function(msec, func, value) {
    var now = performance.now();
    var due = (zarvyTimerDue === null ? now : zarvyTimerDue) + msec;
    if (due < now - 3 * msec) due = now - 3 * msec;
    safeSetTimeout(function() {
      zarvyTimerDue = due;
      try {
        {{{ makeDynCall('vi', 'func') }}}(value);
      } finally {
        zarvyTimerDue = null;
      }
    }, Math.max(0, due - now));
  };
  library.glutTimerFunc__deps = (library.glutTimerFunc__deps || []).concat(['$zarvyTimerDue', '$safeSetTimeout']);

  library.glutInitWindowSize = function(width, height) {
    GLUT.initWindowWidth = width;
    GLUT.initWindowHeight = height;
  };
  // Library functions are emitted from their source text, so the toolkit's
  // own glutInit is kept under a name of its own for the new one to call.
  library.$zarvyGlutInit = library.glutInit;
  library.$zarvyGlutInit__deps = (library.glutInit__deps || []).slice();
  library.glutInit = function(argcp, argv) {
    zarvyGlutInit(argcp, argv);
    zarvyFollowCanvas();
  };
  library.glutInit__deps = (library.glutInit__deps || []).concat(['$zarvyGlutInit', '$zarvyFollowCanvas']);
})();
