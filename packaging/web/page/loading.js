// Loads the game and keeps the page in step with it: the cover that shows
// loading, "Click to play" (or "Tap to play") and the end of the flight, the
// panel with the game's console lines, and the Module the game's script
// reads. Runs last: the other scripts of the page are in place.
//
// The game's code and images load with the page, but the flight (the
// game's main: its window, its images on the GPU, its clock) starts only
// when the player asks for it: a click or a tap on the picture, the focus
// moved to it, or a touch control or a gamepad's button pressed. A page
// opened in a background tab or never played costs no drawing, and the
// asteroids do not fly at a ship nobody steers yet.
"use strict";
var canvas = document.getElementById("canvas");
var cover = document.getElementById("cover");
var statusLine = document.getElementById("status");
var progress = document.getElementById("progress");
var panel = document.getElementById("console");
// loading, ready (loaded, the flight not started), running, over, lost or failed.
var state = "loading";

function show(html, withProgress) {
  statusLine.innerHTML = html;
  progress.hidden = !withProgress;
  cover.hidden = false;
}

// The game's console lines, as the desktop console shows them. The GL
// emulation's three notes about itself at start-up are not the game's.
function addLine(text) {
  if (/^WARNING: using emscripten GL /.test(text)) return;
  var atEnd = panel.scrollTop + panel.clientHeight >= panel.scrollHeight - 4;
  panel.appendChild(document.createTextNode(text + "\n"));
  if (atEnd) panel.scrollTop = panel.scrollHeight;
}

// "Fly again" loads the page afresh, and the flight starts as soon as the
// game has loaded: the player asked for it with that click.
var flyAgainKey = "zarvy-fly-again";
function flyAgain() {
  try { sessionStorage.setItem(flyAgainKey, "1"); } catch (e) { /* the player clicks once more */ }
  location.reload();
}
function askedToFlyAgain() {
  try {
    var asked = sessionStorage.getItem(flyAgainKey) === "1";
    sessionStorage.removeItem(flyAgainKey);
    return asked;
  } catch (e) {
    return false;
  }
}

function fail(message) {
  state = "failed";
  Zarvy.gamepad.stop();
  show(message, false);
}

// The flight has ended (STATE "over" or "lost"): nothing holds a key any
// more, and the page says MESSAGE and offers another flight.
function endFlight(newState, message) {
  state = newState;
  Zarvy.gamepad.stop();
  Zarvy.keys.releaseAll("");
  show(message + '<button id="again" type="button">Fly again</button>', false);
  document.getElementById("again").addEventListener("click", flyAgain);
}

// The keyboard belongs to the game while the canvas has the focus; before
// that, and whenever it goes elsewhere, the page asks for a click (a tap
// where the controls are fingers).
function askForClick() {
  if (state !== "ready" && state !== "running") return;
  show(document.documentElement.classList.contains("touch") ? "Tap to play" : "Click to play", false);
}
Zarvy.onTouchShown = function () {
  if ((state === "ready" || state === "running") && !cover.hidden) askForClick();
};

// Starts the flight once the game has loaded; false when it is not ready.
Zarvy.begin = function () {
  if (state !== "ready") return state === "running";
  state = "running";
  cover.hidden = true;
  Module.callMain([]);
  return state === "running";
};
// A touch control or a pad's button pressed before the flight starts it,
// and does nothing else, as a click on the picture does.
Zarvy.pressStarts = function () {
  if (state !== "ready") return false;
  Zarvy.begin();
  return true;
};
cover.addEventListener("click", function () {
  if (Zarvy.begin()) canvas.focus();
});
canvas.addEventListener("focus", function () {
  if (Zarvy.begin()) cover.hidden = true;
});
canvas.addEventListener("blur", askForClick);
// The keys the game uses never scroll the page.
window.addEventListener("keydown", function (event) {
  if (state === "running" && [" ", "ArrowUp", "ArrowDown", "ArrowLeft", "ArrowRight",
      "PageUp", "PageDown", "Home", "End"].indexOf(event.key) >= 0) {
    event.preventDefault();
  }
});

// Anything that goes wrong before the game runs (a file of the game that
// does not arrive, say) is said on the page instead of leaving it loading.
window.addEventListener("error", function (event) {
  if (state === "loading") {
    fail("Zarvy could not be loaded (" + (event.message || "a file is missing") +
         "). Check the connection and reload the page.");
  }
});

// The browser may take the graphics context from a page (one in the
// background, or short of memory) and give it back later. The game's GL
// emulation keeps its shaders, buffers and state caches in the context it
// started with and cannot build them again, so the flight ends there and
// the page says so; one tap starts a new flight in a new context, never a
// grey or frozen picture.
canvas.addEventListener("webglcontextlost", function (event) {
  event.preventDefault();
  if (state !== "running") return;
  endFlight("lost", "The browser took the game's picture away (its graphics were lost, as happens to a page in the " +
            "background or short of memory), and the flight ended.");
  if (typeof Module.zarvyEnd === "function") Module.zarvyEnd();
});

var Module = {
  canvas: canvas,
  print: addLine,
  printErr: addLine,
  setStatus: function (text) {
    var parts = /\((\d+(?:\.\d+)?)\/(\d+)\)/.exec(text);
    if (parts) {
      progress.value = Number(parts[1]) / Number(parts[2]);
    }
  },
  noInitialRun: true,
  onRuntimeInitialized: function () {
    state = "ready";
    progress.value = 1;
    if (askedToFlyAgain() || document.activeElement === canvas) {
      if (Zarvy.begin()) canvas.focus();
    } else {
      askForClick();
    }
    Zarvy.gamepad.start();
  },
  // The game says who drives the view whenever that changes.
  onViewChange: function (shipInControl) {
    Zarvy.touch.showView(shipInControl);
    Zarvy.gamepad.showView(shipInControl);
  },
  onExit: function () {
    // A lost picture has said why the flight ended.
    if (state === "lost") return;
    endFlight("over", "The flight is over.");
  },
  onAbort: function (what) {
    fail("Zarvy stopped with an error: " + String(what) + ". Reload the page to try again.");
  }
};

(function start() {
  var probe = document.createElement("canvas");
  if (!window.WebAssembly) {
    fail("This browser cannot run WebAssembly, which Zarvy needs. Try a current Firefox, Chrome, Edge or Safari.");
    return;
  }
  if (!(probe.getContext("webgl") || probe.getContext("experimental-webgl"))) {
    fail("This browser gives no WebGL, which Zarvy draws with. Turn on hardware acceleration in the " +
         "browser's settings (or update the graphics driver) and reload the page.");
    return;
  }
  var code = document.getElementById("zarvy-code");
  var script = document.createElement("script");
  if (code.textContent.trim() !== "") {
    // One self-contained file: the code, the WebAssembly and the images are in the page.
    var inline = JSON.parse(document.getElementById("zarvy-inline").textContent);
    var bytes = function (base64) {
      var text = atob(base64), out = new Uint8Array(text.length);
      for (var i = 0; i < text.length; ++i) out[i] = text.charCodeAt(i);
      return out;
    };
    Module.wasmBinary = bytes(inline.wasm);
    Module.getPreloadedPackage = function () { return bytes(inline.data).buffer; };
    script.textContent = code.textContent;
  } else {
    script.src = code.getAttribute("data-src");
    script.onerror = function () {
      fail("The game's code could not be loaded (" + script.src + "). Check the connection and reload the page.");
    };
  }
  document.body.appendChild(script);
})();
