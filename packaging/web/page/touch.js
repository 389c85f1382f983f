// On-screen controls for fingers. Each finger is followed by its touch
// identifier and holds the key of the control under it: lifting it, sliding
// it off its control, or the browser cancelling the touch lets go of that
// key; sliding onto another control holds that one instead. Several fingers
// hold several keys at once. The controls show on a device whose primary
// pointer is a finger, and on any device from its first touch; they show
// the keys of whoever drives the view, the ship or the free camera.
"use strict";
Zarvy.touch = (function () {
  var root = document.documentElement;
  var pad = document.getElementById("touch");
  var controls = Array.prototype.slice.call(pad.querySelectorAll("button.key"));
  var fingers = {};   // touch identifier -> the control it holds

  function showControls() {
    if (root.classList.contains("touch")) return;
    root.classList.add("touch");
    Zarvy.layout.fit();
    if (Zarvy.onTouchShown) Zarvy.onTouchShown();
  }

  if (window.matchMedia && window.matchMedia("(pointer: coarse)").matches) showControls();
  window.addEventListener("touchstart", showControls, { capture: true, passive: true });

  // The controls of one view; the other's are hidden, also from screen readers.
  function showView(shipInControl) {
    var view = shipInControl ? "ship" : "camera";
    pad.setAttribute("data-view", view);
    controls.forEach(function (control) { control.hidden = control.getAttribute("data-view") !== view; });
  }
  showView(true);

  function controlAt(touch) {
    var under = document.elementFromPoint(touch.clientX, touch.clientY);
    var control = under && under.closest ? under.closest("#touch button.key") : null;
    return control && !control.hidden ? control : null;
  }

  function holdWith(id, control) {
    var old = fingers[id] || null;
    if (old === control) return;
    if (old) {
      delete fingers[id];
      Zarvy.keys.release("touch " + id, old.getAttribute("data-key"));
      if (!Object.keys(fingers).some(function (other) { return fingers[other] === old; })) old.classList.remove("held");
    }
    if (control) {
      fingers[id] = control;
      control.classList.add("held");
      Zarvy.keys.hold("touch " + id, control.getAttribute("data-key"));
    }
  }

  function each(event, act) {
    for (var i = 0; i < event.changedTouches.length; ++i) act(event.changedTouches[i]);
  }

  // The default of a touch on the controls (focus, a click, a mouse's
  // emulation, a long-press menu) is prevented: a control is only held.
  pad.addEventListener("touchstart", function (event) {
    event.preventDefault();
    each(event, function (touch) { holdWith(touch.identifier, controlAt(touch)); });
  }, { passive: false });
  pad.addEventListener("touchmove", function (event) {
    event.preventDefault();
    each(event, function (touch) {
      if (touch.identifier in fingers) holdWith(touch.identifier, controlAt(touch));
    });
  }, { passive: false });
  function lift(event) {
    each(event, function (touch) { holdWith(touch.identifier, null); });
  }
  pad.addEventListener("touchend", lift);
  pad.addEventListener("touchcancel", lift);

  // Losing the page lets go of every finger's key (keys.js does the keys).
  function forget() {
    Object.keys(fingers).forEach(function (id) { holdWith(id, null); });
  }
  window.addEventListener("blur", forget);
  document.addEventListener("visibilitychange", function () { if (document.hidden) forget(); });

  // No long-press menu and no selection anywhere in the picture.
  document.getElementById("play").addEventListener("contextmenu", function (event) { event.preventDefault(); });

  return { showView: showView, showControls: showControls };
})();
