// Registers the worker that keeps the site for offline play (sw.js, beside
// index.html). Only a served site has one: the single file opened from disk,
// and a page served without a secure context, play without it.
"use strict";
Zarvy.offline = (function () {
  var singleFile = document.getElementById("zarvy-code").textContent.trim() !== "";
  var served = location.protocol === "https:" || location.protocol === "http:";
  var registration = null;
  if (!singleFile && served && window.isSecureContext && "serviceWorker" in navigator) {
    registration = navigator.serviceWorker.register("sw.js").catch(function () {
      // Without the worker the site plays as before, online only.
      return null;
    });
  }
  return { registration: registration };
})();
