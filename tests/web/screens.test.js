// The browser game on every screen and in every hand, in Debian's headless
// chromium with its own emulation of phones and tablets (puppeteer's
// KnownDevices), real touch events through the DevTools protocol, and the
// controls found by their accessible names, as a screen reader finds them.
"use strict";
const assert = require("assert");
const path = require("path");
const { test } = require("node:test");
const { KnownDevices } = require("puppeteer-core");
const lib = require("./lib.js");

const shared = lib.sharedBrowserAndSite();

// What a screen of the page shows, read in the page: the window, the
// canvas's box and drawing buffer, the game's GL viewport, and every shown
// touch control with its accessible name and box.
async function measure(page) {
  return page.evaluate(() => {
    const canvas = document.getElementById("canvas");
    const box = canvas.getBoundingClientRect();
    const boxOf = (element) => {
      const r = element.getBoundingClientRect();
      return { left: r.left, top: r.top, right: r.right, bottom: r.bottom, width: r.width, height: r.height };
    };
    const controls = Array.from(document.querySelectorAll("#touch button, #toolbar button"))
      .filter((control) => control.getClientRects().length > 0)
      .map((control) => Object.assign({ name: control.getAttribute("aria-label") }, boxOf(control)));
    return {
      width: window.innerWidth,
      height: window.innerHeight,
      scrollWidth: document.scrollingElement.scrollWidth,
      ratio: window.devicePixelRatio,
      canvas: boxOf(canvas),
      buffer: [canvas.width, canvas.height],
      viewport: Array.from(GLctx.getParameter(GLctx.VIEWPORT)),
      touchShown: document.getElementById("touch").getClientRects().length > 0,
      controls,
    };
  });
}

// Waits until the game runs (starting the flight with a click, as a player
// does, if it waits for one) and has drawn a frame at the canvas's present
// buffer size. Emulating another kind of device reloads the page, so the
// game may be loading again.
async function settled(page) {
  await page.waitForFunction(() => typeof state !== "undefined" && (state === "ready" || state === "running"),
                             { timeout: 60000 });
  if (await page.evaluate(() => state === "ready")) await lib.clickToPlay(page); else await lib.untilFlying(page);
  await page.waitForFunction(() => {
    const canvas = document.getElementById("canvas");
    const box = document.getElementById("stage").getBoundingClientRect();
    const ratio = Math.min(Math.max(window.devicePixelRatio, 1), 2);
    return canvas.width === Math.ceil(box.width * ratio) && canvas.height === Math.ceil(box.height * ratio);
  }, { timeout: 10000 });
  await lib.flameColumn(page);
}

// The layout's rules for one screen: nothing to scroll sideways, the picture
// wholly on the screen and as large as the orientation allows, the drawing
// buffer at the shown size times the pixel ratio (at most 2, never below
// 1), the game's viewport on the whole buffer, and the touch controls apart,
// thumb-sized and, in portrait, below the picture.
function checkLayout(m, label, { touch, portrait }) {
  const at = `${label} (${m.width}x${m.height})`;
  assert.ok(m.scrollWidth <= m.width, `${at}: the page scrolls sideways (${m.scrollWidth})`);
  const c = m.canvas;
  assert.ok(c.left >= 0 && c.top >= 0 && c.right <= m.width + 0.5 && c.bottom <= m.height + 0.5,
            `${at}: the picture is not wholly on the screen: ${JSON.stringify(c)}`);
  if (portrait) {
    assert.ok(Math.abs(c.width - m.width) < 1, `${at}: the picture does not span the width: ${c.width}`);
  } else {
    assert.ok(Math.abs(c.height - m.height) < 1 || Math.abs(c.width - m.width) < 1,
              `${at}: the picture spans neither the height nor the width: ${c.width}x${c.height}`);
  }
  const ratio = Math.min(Math.max(m.ratio, 1), 2);
  assert.deepStrictEqual(m.buffer, [Math.ceil(c.width * ratio), Math.ceil(c.height * ratio)],
                         `${at}: the drawing buffer is not the shown size times ${ratio}`);
  assert.deepStrictEqual(m.viewport, [0, 0, ...m.buffer], `${at}: the game's viewport is not the buffer (no reshape)`);
  assert.strictEqual(m.touchShown, touch, `${at}: touch controls ${touch ? "missing" : "shown on a desktop"}`);
  for (const control of m.controls) {
    assert.ok(control.width >= 40 && control.height >= 40, `${at}: "${control.name}" is ${control.width}x${control.height}`);
    assert.ok(control.left >= 0 && control.top >= 0 && control.right <= m.width && control.bottom <= m.height,
              `${at}: "${control.name}" is off the screen`);
    for (const other of m.controls) {
      if (other === control) continue;
      const apart = control.right <= other.left || other.right <= control.left ||
                    control.bottom <= other.top || other.bottom <= control.top;
      assert.ok(apart, `${at}: "${control.name}" overlaps "${other.name}"`);
    }
  }
  if (touch && portrait) {
    const pad = m.controls.filter((control) => control.name !== "fullscreen" && control.name !== "console and controls");
    assert.ok(pad.every((control) => control.top >= c.bottom), `${at}: a touch control lies over the picture`);
  }
}

const screens = [
  { label: "a small phone", device: "Galaxy S5", touch: true, portrait: true },
  { label: "a small phone held sideways", device: "Galaxy S5 landscape", touch: true, portrait: false },
  { label: "a phone", device: "iPhone 13", touch: true, portrait: true },
  { label: "a phone held sideways", device: "iPhone 13 landscape", touch: true, portrait: false },
  { label: "a tablet", device: "iPad Pro 11", touch: true, portrait: true },
  { label: "a tablet held sideways", device: "iPad Pro 11 landscape", touch: true, portrait: false },
  { label: "a laptop", viewport: { width: 1366, height: 768 }, touch: false, portrait: false },
  { label: "a large monitor", viewport: { width: 2560, height: 1440 }, touch: false, portrait: false },
];

test("every screen shows the whole picture as large as it allows, at its own buffer size, with no page error", async () => {
  for (const screen of screens) {
    const { page, problems } = await lib.watchedPage(shared.browser);
    try {
      const viewport = screen.device ? KnownDevices[screen.device].viewport : screen.viewport;
      if (screen.device) await page.emulate(KnownDevices[screen.device]);
      else await page.setViewport(viewport);
      await lib.openGame(page, shared.site.url);
      const status = await page.$eval("#status", (element) => element.textContent);
      assert.strictEqual(status, screen.touch ? "Tap to play" : "Click to play", screen.label);
      await settled(page);
      const m = await measure(page);
      // Nothing wider than the screen widens the page's layout past it.
      assert.deepStrictEqual([m.width, m.height], [viewport.width, viewport.height], `${screen.label}: the layout's size`);
      checkLayout(m, screen.label, screen);
      if (screen.touch && !screen.portrait) {
        // On a phone held sideways the console and the controls table open
        // over the picture from their button; on a tablet they are beside it.
        const info = await page.$("aria/console and controls[role=\"button\"]");
        if (info) {
          await info.tap();
          await page.waitForFunction(() => document.getElementById("info").getClientRects().length > 0, { timeout: 5000 });
          await info.tap();
        } else {
          assert.ok(await page.$eval("#info", (panel) => panel.getClientRects().length > 0), `${screen.label}: no console`);
        }
      }
      assert.deepStrictEqual(lib.pageProblems(problems), [], screen.label);
    } finally {
      await page.close();
    }
  }
});

test("the picture follows the window: a resized window and a turned tablet reshape the game", async () => {
  const { page, problems } = await lib.watchedPage(shared.browser);
  try {
    await page.setViewport({ width: 1280, height: 800 });
    await lib.openGame(page, shared.site.url);
    for (const viewport of [{ width: 1000, height: 700 }, { width: 700, height: 1000 }, { width: 1920, height: 1080 }]) {
      await page.setViewport(viewport);
      await settled(page);
      checkLayout(await measure(page), "a resized window", { touch: false, portrait: viewport.height > viewport.width });
    }
    const tablet = KnownDevices["iPad Pro 11"];
    await page.emulate(tablet);
    await page.setViewport(Object.assign({}, tablet.viewport, { width: 1194, height: 834, isLandscape: true }));
    await settled(page);
    checkLayout(await measure(page), "a turned tablet", { touch: true, portrait: false });
    assert.deepStrictEqual(lib.pageProblems(problems), []);
  } finally {
    await page.close();
  }
});

test("fullscreen fills the screen with the picture; the browser's Escape leaves it and the flight goes on", async () => {
  const { page, problems } = await lib.watchedPage(shared.browser);
  try {
    await page.setViewport({ width: 1280, height: 800 });
    await lib.openGame(page, shared.site.url);
    await lib.clickToPlay(page);
    const before = await measure(page);
    await (await page.$("aria/fullscreen[role=\"button\"]")).click();
    await page.waitForFunction(() => document.fullscreenElement === document.getElementById("play"), { timeout: 10000 });
    await settled(page);
    const full = await measure(page);
    assert.deepStrictEqual([full.canvas.width, full.canvas.height], [full.width, full.height], "the picture does not fill the screen");
    assert.deepStrictEqual(full.viewport, [0, 0, full.width, full.height]);
    assert.strictEqual(await page.$eval("#fullscreen", (b) => b.getAttribute("aria-pressed")), "true");
    await page.keyboard.press("Escape");
    await page.waitForFunction(() => document.fullscreenElement === null, { timeout: 10000 });
    assert.strictEqual(await page.evaluate(() => state), "running", "the Escape that left fullscreen ended the flight");
    await settled(page);
    const after = await measure(page);
    assert.deepStrictEqual(after.canvas, before.canvas, "leaving fullscreen did not restore the page");
    assert.deepStrictEqual(after.viewport, before.viewport);
    await lib.sleep(500);
    assert.strictEqual(await page.evaluate(() => state), "running", "the flight ended after fullscreen");
    // The button takes it back as well.
    const button = await page.$("aria/fullscreen[role=\"button\"]");
    await button.click();
    await page.waitForFunction(() => document.fullscreenElement !== null, { timeout: 10000 });
    await button.click();
    await page.waitForFunction(() => document.fullscreenElement === null, { timeout: 10000 });
    assert.strictEqual(await page.evaluate(() => state), "running");
    assert.deepStrictEqual(lib.pageProblems(problems), []);
  } finally {
    await page.close();
  }
});

// A phone held sideways, with the game running and the cover tapped away.
async function phone() {
  const { page, problems } = await lib.watchedPage(shared.browser);
  await page.emulate(KnownDevices["iPhone 13 landscape"]);
  await lib.openGame(page, shared.site.url);
  const session = await page.createCDPSession();
  const fingers = new Map();
  // Puts finger ID down at (X, Y), moves it there, or lifts it (X null).
  // Chromium takes the points of a touchStart or a touchMove as every finger
  // down, and those of a touchEnd as the fingers lifted.
  const finger = async (id, x, y) => {
    if (x === null) {
      const lifted = fingers.get(id);
      fingers.delete(id);
      await session.send("Input.dispatchTouchEvent", { type: "touchEnd", touchPoints: [lifted] });
      return;
    }
    const type = fingers.has(id) ? "touchMove" : "touchStart";
    fingers.set(id, { x, y, id });
    await session.send("Input.dispatchTouchEvent", { type, touchPoints: [...fingers.values()] });
  };
  const cancel = async () => {
    fingers.clear();
    await session.send("Input.dispatchTouchEvent", { type: "touchCancel", touchPoints: [] });
  };
  const centre = async (name) => {
    const control = await page.waitForSelector(`aria/${name}[role="button"]`, { timeout: 5000 });
    const box = await control.boundingBox();
    return { x: box.x + box.width / 2, y: box.y + box.height / 2, box };
  };
  const cover = await page.$("#cover");
  await cover.tap();
  await page.waitForFunction(() => document.getElementById("cover").hidden, { timeout: 10000 });
  await lib.untilFlying(page);
  return { page, problems, finger, cancel, centre };
}

// Holds the control NAME with finger ID until the flames are 20 columns to
// the SIDE of FROM, at most ten seconds. Every way of letting go is
// followed by a rest on that side (lib.restsPast) and a move the other way.
async function holdUntilMoved(p, id, name, from, side) {
  const at = await p.centre(name);
  await p.finger(id, at.x, at.y);
  if (!await lib.movedAtLeast(p.page, from, side)) throw new Error(`the ship did not move under "${name}" within ten seconds`);
  return at;
}

// Moves the ship from REST to the SIDE with finger ID on NAME, lifts it, and
// resolves to where the ship rests on that side.
async function movesBack(p, id, name, rest, side) {
  await holdUntilMoved(p, id, name, rest, side);
  await p.finger(id, null);
  return lib.restsPast(p.page, `"${name}" lifted`, rest, side);
}

test("a finger on \"right\" slides the ship right; lifting, sliding off, a cancelled touch and a hidden page each let go", async () => {
  const p = await phone();
  let other = null;
  try {
    let rest = await lib.shipAtRest(p.page, "start", 360, 440);

    // Lifted.
    rest = await movesBack(p, 1, "right", rest, 1);

    // Slid off onto the picture.
    await holdUntilMoved(p, 2, "left", rest, -1);
    const left = await p.centre("left");
    await p.finger(2, left.x, left.box.y - 120);
    rest = await lib.restsPast(p.page, "slid off left", rest, -1);
    await p.finger(2, null);

    // Cancelled by the browser.
    await holdUntilMoved(p, 3, "right", rest, 1);
    await p.cancel();
    rest = await lib.restsPast(p.page, "right cancelled", rest, 1);

    // The page hidden while a finger holds "left": its lift goes nowhere.
    await holdUntilMoved(p, 4, "left", rest, -1);
    other = await shared.browser.newPage();
    await other.bringToFront();
    await p.page.waitForFunction(() => document.hidden, { timeout: 5000 });
    await p.page.bringToFront();
    await p.page.waitForFunction(() => !document.hidden, { timeout: 5000 });
    rest = await lib.restsPast(p.page, "left while hidden", rest, -1);
    assert.deepStrictEqual(await p.page.evaluate(() => Zarvy.keys.held()), []);
    await movesBack(p, 5, "right", rest, 1);
    assert.deepStrictEqual(lib.pageProblems(p.problems), []);
  } finally {
    if (other) await other.close();
    await p.page.close();
  }
});

test("two thumbs: \"right\" stays held while the other thumb taps \"boost\" and lifts", async () => {
  const p = await phone();
  try {
    const start = await lib.shipAtRest(p.page, "start", 360, 440);
    const right = await p.centre("right");
    await p.finger(1, right.x, right.y);
    const boost = await p.centre("boost");
    await p.finger(2, boost.x, boost.y);
    assert.deepStrictEqual(await p.page.evaluate(() => Zarvy.keys.held()), ["d", "r"]);
    await p.finger(2, null);
    assert.deepStrictEqual(await p.page.evaluate(() => Zarvy.keys.held()), ["d"]);
    // The ship still slides right under the first thumb alone.
    assert.ok(await lib.movedAtLeast(p.page, start, 1, 40), "the ship stopped when the second thumb lifted");
    await p.finger(1, null);
    const lifted = await lib.restsPast(p.page, "both lifted", start, 1);
    await movesBack(p, 3, "left", lifted, -1);
  } finally {
    await p.page.close();
  }
});

test("the free camera by touch and back, and the controls follow the view however it changed", async () => {
  const p = await phone();
  try {
    const names = async () => p.page.$$eval("#touch button:not([hidden])", (all) => all.map((b) => b.getAttribute("aria-label")).sort());
    const ship = ["boost", "brake", "down", "free camera", "left", "right", "roll clockwise", "roll counter-clockwise", "up"];
    const camera = ["back to the ship", "backward", "down", "forward", "left", "look down", "look up", "right",
                    "tilt left", "tilt right", "turn left", "turn right", "up"];
    assert.deepStrictEqual(await names(), ship);
    const start = await lib.shipAtRest(p.page, "start", 360, 440);

    const toCamera = await p.centre("free camera");
    await p.finger(1, toCamera.x, toCamera.y);
    await p.finger(1, null);
    await p.page.waitForSelector('aria/back to the ship[role="button"]', { timeout: 5000 });
    assert.deepStrictEqual(await names(), camera);
    // The camera turns under "turn left": the picture changes while the ship stays.
    const before = await p.page.screenshot({ encoding: "base64" });
    const turn = await p.centre("turn left");
    await p.finger(1, turn.x, turn.y);
    await lib.sleep(600);
    await p.finger(1, null);
    assert.notStrictEqual(await p.page.screenshot({ encoding: "base64" }), before, "the free camera did not turn");

    const back = await p.centre("back to the ship");
    await p.finger(1, back.x, back.y);
    await p.finger(1, null);
    await p.page.waitForSelector('aria/free camera[role="button"]', { timeout: 5000 });
    assert.deepStrictEqual(await names(), ship);

    // The space bar of a keyboard changes the view too, and the controls follow.
    await p.page.keyboard.press(" ");
    await p.page.waitForSelector('aria/back to the ship[role="button"]', { timeout: 5000 });
    await p.page.keyboard.press(" ");
    await p.page.waitForSelector('aria/free camera[role="button"]', { timeout: 5000 });
    assert.ok(start !== null);
    assert.deepStrictEqual(lib.pageProblems(p.problems), []);
  } finally {
    await p.page.close();
  }
});

test("a gamepad's button starts the flight; plugged in mid-flight it steers at once, rests in its dead zone, and lets go when unplugged", async () => {
  const { page, problems } = await lib.watchedPage(shared.browser);
  try {
    // Headless chromium has no gamepad: a stand-in pad is handed to the page
    // where the Gamepad API reports pads, shaped as the browser reports a
    // standard-mapping pad (4 axes, 17 buttons).
    await page.evaluateOnNewDocument(() => {
      window.standInPads = [null, null, null, null];
      Object.defineProperty(Navigator.prototype, "getGamepads", {
        configurable: true, value: function () { return window.standInPads.slice(); },
      });
      window.plugInPad = () => {
        const pad = {
          id: "Stand-in pad (STANDARD GAMEPAD)", index: 0, connected: true, mapping: "standard", timestamp: 0,
          axes: [0, 0, 0, 0],
          buttons: Array.from({ length: 17 }, () => ({ pressed: false, touched: false, value: 0 })),
        };
        window.standInPads[0] = pad;
        const event = new Event("gamepadconnected");
        event.gamepad = pad;
        window.dispatchEvent(event);
      };
      window.unplugPad = () => {
        const pad = window.standInPads[0];
        pad.connected = false;
        window.standInPads[0] = null;
        const event = new Event("gamepaddisconnected");
        event.gamepad = pad;
        window.dispatchEvent(event);
      };
    });
    const south = (pressed) => page.evaluate((on) => {
      window.standInPads[0].buttons[0] = { pressed: on, touched: on, value: on ? 1 : 0 };
    }, pressed);
    await page.setViewport({ width: 1160, height: 600 });
    await lib.openGame(page, shared.site.url);

    // A player with a pad in hand starts with its south button, which then
    // does nothing else: the view stays with the ship.
    await page.evaluate(() => window.plugInPad());
    await south(true);
    await lib.untilFlying(page);
    await south(false);
    await page.waitForFunction(() => Zarvy.keys.held().length === 0, { timeout: 5000 });
    assert.strictEqual(await page.$eval("#touch", (touch) => touch.getAttribute("data-view")), "ship");
    await page.evaluate(() => window.unplugPad());
    const start = await lib.shipAtRest(page, "start", 360, 440);
    await page.evaluate(() => window.plugInPad());

    // The left stick pushed right slides the ship right; back in its dead zone it rests.
    await page.evaluate(() => { window.standInPads[0].axes[0] = 1; });
    assert.ok(await lib.movedAtLeast(page, start, 1), "the stick did not steer");
    await page.evaluate(() => { window.standInPads[0].axes[0] = 0.15; window.standInPads[0].axes[1] = -0.2; });
    const right = await lib.restsPast(page, "stick in its dead zone", start, 1);
    assert.deepStrictEqual(await page.evaluate(() => Zarvy.keys.held()), []);

    // The d-pad's left, then the pad unplugged with it held.
    await page.evaluate(() => { window.standInPads[0].buttons[14] = { pressed: true, touched: true, value: 1 }; });
    assert.ok(await lib.movedAtLeast(page, right, -1), "the d-pad did not steer");
    await page.evaluate(() => window.unplugPad());
    await lib.shipAtRest(page, "pad unplugged", 140, right - 15);
    assert.deepStrictEqual(await page.evaluate(() => Zarvy.keys.held()), []);

    // Plugged in again: the south button hands the view to the free camera and back.
    await page.evaluate(() => window.plugInPad());
    await south(true);
    await page.waitForFunction(() => document.getElementById("touch").getAttribute("data-view") === "camera", { timeout: 5000 });
    await south(false);
    await page.waitForFunction(() => Zarvy.keys.held().length === 0, { timeout: 5000 });
    await south(true);
    await page.waitForFunction(() => document.getElementById("touch").getAttribute("data-view") === "ship", { timeout: 5000 });
    await south(false);
    assert.deepStrictEqual(lib.pageProblems(problems), []);
  } finally {
    await page.close();
  }
});
