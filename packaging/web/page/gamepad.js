// Gamepads through the browser's Gamepad API, standard mapping. Every
// animation frame the pads are read and each pad holds the game's keys its
// sticks, d-pad, triggers, shoulders and south button ask for, for the view
// that drives now; a pad plugged in mid-flight is read from the next frame,
// and a pad gone lets go of its keys. A dead zone keeps a resting stick
// from drifting.
"use strict";
Zarvy.gamepad = (function () {
  var deadZone = 0.3;
  var triggerPressed = 0.3;
  var shipInControl = true;
  var heldByPad = {};   // pad index -> { key: true }

  function button(pad, index) {
    var b = pad.buttons[index];
    if (!b) return false;
    return b.pressed || (typeof b.value === "number" && b.value > triggerPressed);
  }

  function axis(pad, index) {
    var value = pad.axes[index] || 0;
    return Math.abs(value) < deadZone ? 0 : value;
  }

  // The keys PAD asks for. Standard mapping: axes 0 and 1 the left stick
  // (forward is negative), 2 and 3 the right stick; buttons 0 south, 4 and 5
  // the shoulders, 6 and 7 the triggers, 12 to 15 the d-pad.
  function wanted(pad) {
    var keys = {};
    var x = axis(pad, 0), y = axis(pad, 1);
    var forward = y < 0 || button(pad, 12), back = y > 0 || button(pad, 13);
    var left = x < 0 || button(pad, 14), right = x > 0 || button(pad, 15);
    // Forward is w in both views: the ship dives, the camera moves ahead.
    if (forward) keys.w = true;
    if (back) keys.s = true;
    if (left) keys.a = true;
    if (right) keys.d = true;
    if (button(pad, 7)) keys.r = true;
    if (button(pad, 6)) keys.f = true;
    if (shipInControl) {
      if (button(pad, 5)) keys["-"] = true;
      if (button(pad, 4)) keys["."] = true;
    } else {
      var turn = axis(pad, 2), look = axis(pad, 3);
      if (turn < 0) keys.q = true;
      if (turn > 0) keys.e = true;
      if (look < 0) keys.t = true;
      if (look > 0) keys.g = true;
      if (button(pad, 5)) keys["2"] = true;
      if (button(pad, 4)) keys["3"] = true;
    }
    if (button(pad, 0)) keys[" "] = true;
    return keys;
  }

  function holdOnly(index, keys) {
    var before = heldByPad[index] || {};
    var holder = "pad " + index;
    // While the south button is held the game takes every new key press as
    // another turn of the view: the pad presses nothing new until it is let go.
    var spaceHeld = before[" "] && keys[" "];
    Object.keys(before).forEach(function (key) {
      if (!keys[key]) Zarvy.keys.release(holder, key);
    });
    var now = {};
    Object.keys(keys).forEach(function (key) {
      if (before[key] || !spaceHeld) {
        Zarvy.keys.hold(holder, key);
        now[key] = true;
      }
    });
    if (Object.keys(now).length) heldByPad[index] = now; else delete heldByPad[index];
  }

  function poll() {
    var pads = navigator.getGamepads ? navigator.getGamepads() : [];
    var seen = {};
    for (var i = 0; i < (pads ? pads.length : 0); ++i) {
      var pad = pads[i];
      if (!pad || pad.connected === false) continue;
      if (pad.mapping !== "standard" && pad.mapping !== "") continue;
      seen[pad.index] = true;
      holdOnly(pad.index, wanted(pad));
    }
    Object.keys(heldByPad).forEach(function (index) {
      if (!seen[index]) holdOnly(index, {});
    });
  }

  var running = false;
  var api;
  function frame() {
    if (!running) return;
    api.poll();
    requestAnimationFrame(frame);
  }

  function start() {
    if (running || !navigator.getGamepads) return;
    running = true;
    requestAnimationFrame(frame);
  }

  function stop() {
    running = false;
    Object.keys(heldByPad).forEach(function (index) { holdOnly(index, {}); });
  }

  window.addEventListener("gamepaddisconnected", function (event) {
    if (event.gamepad && heldByPad[event.gamepad.index]) holdOnly(event.gamepad.index, {});
  });

  function showView(ship) { shipInControl = ship; }

  // The frame loop reads the pads through this object, so a benchmark can
  // time the reading.
  api = { start: start, stop: stop, poll: poll, showView: showView, deadZone: deadZone };
  return api;
})();
