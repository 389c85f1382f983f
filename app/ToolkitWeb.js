// What the browser build changes in Emscripten's GLUT, as a JavaScript
// library linked into the game: a program that calls exit() from a key
// callback (the game's Escape) ends as on the desktop.
//
// GLUT calls the key callbacks straight from the page's key listeners, so
// the exception by which exit() unwinds the program would escape them as an
// uncaught error, and the pending timer would keep the runtime alive: the
// game would play on. Here the listeners catch that exception; the C
// library's own end (atexit, flushed output) has run by then. The runtime is
// then ended for good, so that no timer or frame runs again, and the page's
// Module.onExit hears of it.

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
});

(function() {
  var glut = LibraryManager.library.$GLUT;
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
  LibraryManager.library.$GLUT__deps.push('$zarvyEndOnExit');
})();
