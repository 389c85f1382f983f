// The game's keys as the page's own controls hold them. A touch control and
// a gamepad each hold keys by name; a key goes down in the game when its
// first holder takes it and up when its last lets go, through the same
// keyboard callbacks a key of the keyboard reaches (Module.zarvyKey).
"use strict";
var Zarvy = window.Zarvy || {};
window.Zarvy = Zarvy;

Zarvy.keys = (function () {
  var holders = {};   // key -> { holder: true }

  function send(key, down) {
    if (down && Zarvy.pressStarts && Zarvy.pressStarts()) return;
    if (typeof Module !== "undefined" && typeof Module.zarvyKey === "function") {
      Module.zarvyKey(key.charCodeAt(0), down);
    }
  }

  function count(key) {
    return holders[key] ? Object.keys(holders[key]).length : 0;
  }

  // HOLDER (a name such as "touch 3" or "pad 0") holds KEY, a one-character
  // string of the game's keys.
  function hold(holder, key) {
    if (!holders[key]) holders[key] = {};
    if (holders[key][holder]) return;
    holders[key][holder] = true;
    if (count(key) === 1) send(key, true);
  }

  function release(holder, key) {
    if (!holders[key] || !holders[key][holder]) return;
    delete holders[key][holder];
    if (count(key) === 0) send(key, false);
  }

  // Lets go of every key that holders whose name starts with PREFIX hold
  // ("" for all of them).
  function releaseAll(prefix) {
    Object.keys(holders).forEach(function (key) {
      Object.keys(holders[key]).forEach(function (holder) {
        if (holder.indexOf(prefix) === 0) release(holder, key);
      });
    });
  }

  // The keys held now, for the tests and the gamepad's bookkeeping.
  function held() {
    return Object.keys(holders).filter(function (key) { return count(key) > 0; }).sort();
  }

  // Nothing stays held when the page loses the focus or is hidden: the
  // finger or the pad that held it may be gone by the time the page is back.
  window.addEventListener("blur", function () { releaseAll(""); });
  window.addEventListener("pagehide", function () { releaseAll(""); });
  document.addEventListener("visibilitychange", function () {
    if (document.hidden) releaseAll("");
  });

  return { hold: hold, release: release, releaseAll: releaseAll, held: held };
})();
