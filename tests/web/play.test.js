// The browser game as a player meets it, in Debian's headless chromium:
// the site from a local server, the zip unpacked and served, and the single
// file from a file:// URL with no server at all. Each loads and plays with
// the desktop's start-up lines and without a page error or a console
// warning; a flight shows the hit and its countdown; keys let go under
// Shift or while the page had no focus leave the ship at rest; Escape ends
// the flight and the page offers another.
"use strict";
const assert = require("assert");
const { execFileSync } = require("child_process");
const fs = require("fs");
const os = require("os");
const path = require("path");
const { test } = require("node:test");
const lib = require("./lib.js");
const { loadsAndPlays, pageProblems } = lib;

const version = /project\(Zarvy VERSION ([0-9.]+)/.exec(fs.readFileSync(path.join(lib.root, "CMakeLists.txt"), "utf8"))[1];
const shared = lib.sharedBrowserAndSite();

test("the site loads and plays from a local server", async () => {
  await loadsAndPlays(shared.browser, shared.site.url);
});

test("the zip, unpacked, loads and plays with index.html at its root", async () => {
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), "zarvy-web-zip-"));
  try {
    execFileSync("python3", ["-c", "import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])",
                             path.join(lib.webBuild, `zarvy-${version}-web.zip`), folder]);
    assert.ok(fs.existsSync(path.join(folder, "index.html")));
    const server = await lib.serve(folder);
    try {
      await loadsAndPlays(shared.browser, server.url + "index.html");
    } finally {
      await server.close();
    }
  } finally {
    fs.rmSync(folder, { recursive: true, force: true });
  }
});

test("the single file loads and plays from file:// with no server", async () => {
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), "zarvy-web-file-"));
  try {
    const file = path.join(folder, `zarvy-${version}.html`);
    fs.copyFileSync(path.join(lib.webBuild, `zarvy-${version}.html`), file);
    await loadsAndPlays(shared.browser, "file://" + file);
  } finally {
    fs.rmSync(folder, { recursive: true, force: true });
  }
});

test("a boosted flight into the field hits a rock and counts the immunity down from 99 to 0", async () => {
  const { page, problems } = await lib.watchedPage(shared.browser);
  try {
    await lib.openGame(page, shared.site.url);
    await lib.clickToPlay(page);
    // Boost, weaving left and right, until a rock is hit.
    await page.keyboard.down("r");
    let hit = null;
    for (let second = 1; second <= 60 && hit === null; ++second) {
      const key = second % 2 === 0 ? "a" : "d";
      await page.keyboard.down(key);
      for (let i = 0; i < 10 && hit === null; ++i) {
        await lib.sleep(100);
        hit = (await lib.panelLines(page)).find((line) => /^Collision with Asteroid \d+$/.test(line)) || null;
      }
      await page.keyboard.up(key);
    }
    await page.keyboard.up("r");
    assert.ok(hit, "no collision within a minute of flying");
    const lines = await lib.waitForLines(page, (all) => all.includes("playerImun 0"), 30, "the immunity's end");
    const after = lines.slice(lines.indexOf(hit) + 1, lines.indexOf(hit) + 101);
    const expected = Array.from({ length: 100 }, (_, i) => `playerImun ${99 - i}`);
    assert.deepStrictEqual(after, expected);
    // Exactly one hundred: after the 0 comes another hit or nothing.
    await lib.sleep(500);
    const next = (await lib.panelLines(page))[lines.indexOf(hit) + 101];
    assert.ok(next === undefined || /^Collision with Asteroid \d+$/.test(next), `after playerImun 0: ${next}`);
    await page.keyboard.press("Escape");
    await page.waitForFunction(() => state === "over", { timeout: 10000 });
    assert.deepStrictEqual(pageProblems(problems), []);
  } finally {
    await page.close();
  }
});

test("keys let go under Shift or while the page had no focus leave the ship at rest", async () => {
  const { page } = await lib.watchedPage(shared.browser);
  let other = null;
  try {
    await lib.openGame(page, shared.site.url);
    await lib.clickToPlay(page);
    const start = await lib.shipAtRest(page, "start", 360, 440);

    // 'a' held, Shift pressed: the release arrives as 'A'.
    await lib.holdUntilMoved(page, "a", start, -1);
    await page.keyboard.down("Shift");
    await page.keyboard.up("a");
    await page.keyboard.up("Shift");
    await lib.sleep(1500);
    const left = await lib.restsPast(page, "a released under Shift", start, -1);
    const back = await lib.movesBack(page, "d", left, 1);

    // 'a' held while another tab takes the keyboard; the release goes there.
    await lib.holdUntilMoved(page, "a", back, -1);
    other = await shared.browser.newPage();
    await other.bringToFront();
    await other.keyboard.up("a");
    // Back as a player comes back: to the tab, and a click into the game.
    await page.bringToFront();
    await page.click("#canvas");
    await page.waitForFunction(() => document.activeElement === document.getElementById("canvas") &&
                                     document.getElementById("cover").hidden, { timeout: 10000 });
    await lib.sleep(1500);
    const gone = await lib.restsPast(page, "a released in another tab", back, -1);
    await lib.movesBack(page, "d", gone, 1);
  } finally {
    if (other) await other.close();
    await page.close();
  }
});

test("Escape ends the flight: the game's loop stops and the page offers another", async () => {
  const { page, problems } = await lib.watchedPage(shared.browser);
  try {
    await lib.openGame(page, shared.site.url);
    await lib.clickToPlay(page);
    await page.evaluate(() => {
      window.framesDrawn = 0;
      Module.postMainLoop = () => { window.framesDrawn++; };
    });
    await page.waitForFunction(() => window.framesDrawn > 5, { timeout: 10000 });
    await page.keyboard.press("Escape");
    await page.waitForFunction(() => state === "over", { timeout: 10000 });
    assert.match(await page.$eval("#status", (status) => status.textContent), /^The flight is over\./);
    const frames = await page.evaluate(() => window.framesDrawn);
    await lib.sleep(1000);
    assert.strictEqual(await page.evaluate(() => window.framesDrawn), frames, "frames were drawn after Escape");
    // Keys after the end reach no game.
    await page.keyboard.press("d");
    assert.deepStrictEqual(pageProblems(problems), []);
    // That one click is all a new flight takes: it starts once the page has loaded again.
    await Promise.all([page.waitForNavigation({ waitUntil: "load" }), page.click("#again")]);
    await page.waitForFunction(() => state === "running" && document.getElementById("cover").hidden &&
                                     document.activeElement === document.getElementById("canvas"), { timeout: 60000 });
  } finally {
    await page.close();
  }
});

test("a page that cannot run the game says why instead of staying blank", async () => {
  // A site whose packed images are missing.
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), "zarvy-web-broken-"));
  const noWebGL = await lib.launch({ extraArgs: ["--disable-webgl", "--disable-3d-apis"] });
  try {
    for (const name of ["index.html", "zarvy.js", "zarvy.wasm", "icon.png"]) {
      fs.copyFileSync(path.join(lib.webBuild, "site", name), path.join(folder, name));
    }
    fs.cpSync(path.join(lib.webBuild, "site", "page"), path.join(folder, "page"), { recursive: true });
    const server = await lib.serve(folder);
    const page = await shared.browser.newPage();
    try {
      await page.goto(server.url, { waitUntil: "load" });
      await page.waitForFunction(() => state === "failed", { timeout: 60000 });
      assert.match(await page.$eval("#status", (status) => status.textContent), /^Zarvy could not be loaded/);
    } finally {
      await page.close();
      await server.close();
    }
    // A browser without WebGL.
    const page2 = await noWebGL.newPage();
    await page2.goto(shared.site.url, { waitUntil: "load" });
    await page2.waitForFunction(() => state === "failed", { timeout: 60000 });
    assert.match(await page2.$eval("#status", (status) => status.textContent), /gives no WebGL/);
  } finally {
    await noWebGL.close();
    fs.rmSync(folder, { recursive: true, force: true });
  }
});
