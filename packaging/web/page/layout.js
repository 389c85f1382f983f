// The canvas follows the page: its drawing buffer takes the size the page
// shows it at, times the device's pixel ratio up to a cap, and never fewer
// pixels than its CSS size. The toolkit hands every change of the buffer to
// the game's reshape, so the projection follows and nothing is stretched.
"use strict";
Zarvy.layout = (function () {
  var canvas = document.getElementById("canvas");
  // The stage's size is the page's doing alone: the canvas is laid over it,
  // so its own buffer size never feeds back into the layout.
  var stage = document.getElementById("stage");
  // Three times a phone's screen in pixels costs the software-emulated
  // fixed-function pipeline more than it shows: twice is the most.
  var maxRatio = 2;

  function ratio() {
    return Math.min(Math.max(window.devicePixelRatio || 1, 1), maxRatio);
  }

  function fit() {
    var box = stage.getBoundingClientRect();
    if (box.width < 1 || box.height < 1) return;
    var r = ratio();
    var width = Math.ceil(box.width * r), height = Math.ceil(box.height * r);
    if (canvas.width !== width) canvas.width = width;
    if (canvas.height !== height) canvas.height = height;
  }

  if (typeof ResizeObserver === "function") new ResizeObserver(fit).observe(stage);
  window.addEventListener("resize", fit);
  fit();

  // On a phone held sideways the console and the controls table open over
  // the picture from their button.
  var toggle = document.getElementById("info-toggle");
  toggle.addEventListener("click", function () {
    var open = document.documentElement.classList.toggle("info-open");
    toggle.setAttribute("aria-expanded", String(open));
  });

  return { fit: fit, maxRatio: maxRatio };
})();
