// The "fullscreen" button puts the picture with its controls on the whole
// screen and takes it back. The browser's own Escape leaves fullscreen too;
// that Escape only leaves fullscreen and never reaches the game, where it
// would end the flight.
"use strict";
Zarvy.fullscreen = (function () {
  var play = document.getElementById("play");
  var button = document.getElementById("fullscreen");
  var leftAt = -Infinity;

  function element() {
    return document.fullscreenElement || document.webkitFullscreenElement || null;
  }

  function enter() {
    var request = play.requestFullscreen || play.webkitRequestFullscreen;
    if (!request) return;
    var result = request.call(play, { navigationUI: "hide" });
    if (result && result.catch) result.catch(function () {});
  }

  function leave() {
    var exit = document.exitFullscreen || document.webkitExitFullscreen;
    if (!exit || !element()) return;
    var result = exit.call(document);
    if (result && result.catch) result.catch(function () {});
  }

  function changed() {
    var on = element() === play;
    button.setAttribute("aria-pressed", String(on));
    if (!on) leftAt = performance.now();
    Zarvy.layout.fit();
  }

  button.addEventListener("click", function () {
    if (element()) leave(); else enter();
  });
  document.addEventListener("fullscreenchange", changed);
  document.addEventListener("webkitfullscreenchange", changed);
  // Registered before the game's own key listener, so it is heard first. A
  // browser may leave fullscreen just before it hands the page the Escape
  // that did so: an Escape right after leaving is taken as that one.
  window.addEventListener("keydown", function (event) {
    if (event.key !== "Escape") return;
    if (element() || performance.now() - leftAt < 500) {
      event.stopImmediatePropagation();
      event.preventDefault();
      leave();
    }
  }, true);

  if (!(play.requestFullscreen || play.webkitRequestFullscreen)) button.hidden = true;

  return { element: element };
})();
