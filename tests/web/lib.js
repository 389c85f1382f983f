// Helpers of the browser tests: Debian's chromium driven by puppeteer-core
// (no browser is downloaded), the site served on 127.0.0.1 by the test
// itself, and the page's panel, canvas and errors watched.
"use strict";
const assert = require("assert");
const { execFileSync } = require("child_process");
const fs = require("fs");
const os = require("os");
const http = require("http");
const path = require("path");
const puppeteer = require("puppeteer-core");
const { before, after } = require("node:test");

const root = path.resolve(__dirname, "../..");
const webBuild = process.env.ZARVY_WEB_BUILD || path.join(root, "build-web");

// The flags chromium needs here: no sandbox as root, no GPU process of its
// own, and nothing that reaches for the network on its own. With
// `drawWithMesa` it draws WebGL through Mesa's llvmpipe on the X display
// the suite runs on, as the golden images were made; otherwise with
// SwiftShader.
async function launch({ drawWithMesa = false, extraArgs = [] } = {}) {
  const args = [
    "--no-sandbox", "--disable-dev-shm-usage",
    "--disable-background-networking", "--disable-component-update", "--disable-sync",
    "--no-first-run", "--disable-quic", "--disable-default-apps", "--mute-audio",
    "--disable-features=Translate,MediaRouter,OptimizationHints",
    "--window-size=1280,800",
  ];
  if (drawWithMesa) {
    args.push("--use-angle=gl-egl", "--ignore-gpu-blocklist");
  } else {
    args.push("--disable-gpu", "--use-angle=swiftshader", "--enable-unsafe-swiftshader");
  }
  args.push(...extraArgs);
  return puppeteer.launch({
    executablePath: process.env.ZARVY_CHROMIUM || "/usr/bin/chromium",
    headless: true,
    args,
    protocolTimeout: 120000,
  });
}

const types = {
  ".html": "text/html; charset=utf-8", ".js": "text/javascript", ".css": "text/css",
  ".webmanifest": "application/manifest+json", ".wasm": "application/wasm",
  ".data": "application/octet-stream", ".png": "image/png",
};

// Serves FOLDER on 127.0.0.1 at a free port; resolves to { url, close,
// setOffline }. While set offline the server drops every connection it is
// asked on unanswered, as a network that is gone does, to the page and to
// its worker alike.
function serve(folder) {
  let offline = false;
  const server = http.createServer((request, response) => {
    if (offline) {
      request.socket.destroy();
      return;
    }
    const name = decodeURIComponent(new URL(request.url, "http://x").pathname);
    const file = path.join(folder, name.endsWith("/") ? name + "index.html" : name);
    if (!file.startsWith(folder + path.sep) || !fs.existsSync(file) || !fs.statSync(file).isFile()) {
      response.writeHead(404);
      response.end();
      return;
    }
    response.writeHead(200, { "Content-Type": types[path.extname(file)] || "application/octet-stream" });
    fs.createReadStream(file).pipe(response);
  });
  return new Promise((resolve) => {
    server.listen(0, "127.0.0.1", () => {
      resolve({
        url: `http://127.0.0.1:${server.address().port}/`,
        close: () => new Promise((done) => {
          server.close(done);
          server.closeAllConnections();
        }),
        setOffline: (on) => { offline = on; },
      });
    });
  });
}

// A page whose errors and console warnings are kept in `problems`.
async function watchedPage(browser) {
  const page = await browser.newPage();
  const problems = [];
  page.on("pageerror", (error) => problems.push("page error: " + error.message));
  page.on("console", (message) => {
    if (["error", "warn", "warning", "assert"].includes(message.type())) {
      problems.push(`console ${message.type()}: ${message.text()}`);
    }
  });
  page.on("requestfailed", (request) => problems.push("request failed: " + request.url()));
  // The picture gets 800 by 600 beside the 360-pixel panel: the desktop
  // game's window, and the size the flight tests' timing is known at.
  await page.setViewport({ width: 1160, height: 600 });
  return { page, problems };
}

// The lines of the page's console panel.
async function panelLines(page) {
  const text = await page.$eval("#console", (panel) => panel.textContent);
  return text.split("\n").filter((line) => line !== "");
}

// Waits, at most `seconds`, until `test(lines)` holds for the panel's lines.
async function waitForLines(page, test, seconds, what) {
  const end = Date.now() + seconds * 1000;
  let lines = [];
  while (Date.now() < end) {
    lines = await panelLines(page);
    if (test(lines)) return lines;
    await new Promise((done) => setTimeout(done, 50));
  }
  throw new Error(`${what} did not show within ${seconds} s; the panel held:\n${lines.join("\n")}`);
}

// Opens URL and waits until the game has loaded: the page asks for a click
// (or a tap) to start the flight.
async function openGame(page, url) {
  await page.goto(url, { waitUntil: "load" });
  await page.waitForFunction(() => typeof state !== "undefined" && state === "ready", { timeout: 60000 });
}

// Clicks into the picture, as a player does to start the flight or to give
// the game the keyboard back, and waits until the game has the focus and
// has said its start-up lines.
async function clickToPlay(page) {
  await page.click("#cover");
  await page.waitForFunction(() => document.activeElement === document.getElementById("canvas") &&
                                   document.getElementById("cover").hidden, { timeout: 10000 });
  await untilFlying(page);
}

// Waits until the flight has started, however it was asked for: the game
// runs in its graphics context and has said its start-up lines.
async function untilFlying(page) {
  await page.waitForFunction(() => typeof state !== "undefined" && state === "running" &&
                                   typeof GLctx !== "undefined", { timeout: 10000 });
  await waitForLines(page, (lines) => lines.some((l) => l.startsWith("Status: Using GLEW ")), 30, "the GLEW line");
}

// Where the ship's two engine flames are: the mean column of the pale
// yellow pixels in the band of rows the ship flies in, read from the
// drawing buffer right after a frame is drawn, as the column it would be on
// an 800 by 600 picture (the vertical field of view is fixed, so a wider
// picture only shows more at the sides). Null when fewer than 5 of them
// show or more than 100 (the flames make 20 to 50; both scaled to the
// buffer's height), and while a hit's explosion, of the same colours, may
// be on the screen: it lives 10 ticks, so until the countdown after the hit
// is below 88 (two ticks to spare). Resolves after the next frame.
async function flameColumn(page) {
  return page.evaluate(() => new Promise((resolve) => {
    // A game that has ended draws no next frame.
    if (state !== "running") {
      resolve(null);
      return;
    }
    Module.postMainLoop = () => {
      Module.postMainLoop = null;
      const last = document.getElementById("console").lastChild;
      const line = last ? last.textContent.trim() : "";
      const countdown = /^playerImun (\d+)$/.exec(line);
      if (/^Collision with Asteroid /.test(line) || (countdown && Number(countdown[1]) >= 88)) {
        resolve(null);
        return;
      }
      const width = GLctx.drawingBufferWidth, height = GLctx.drawingBufferHeight;
      // Rows 410 to 469 from the top of 600 are rows 130 to 189 from the bottom.
      const low = Math.round(height * 130 / 600), rows = Math.round(height * 60 / 600);
      const pixels = new Uint8Array(width * rows * 4);
      GLctx.readPixels(0, low, width, rows, GLctx.RGBA, GLctx.UNSIGNED_BYTE, pixels);
      let n = 0, sum = 0;
      for (let i = 0; i < width * rows; ++i) {
        const r = pixels[i * 4], g = pixels[i * 4 + 1], b = pixels[i * 4 + 2];
        if (r >= 240 && g >= 170 && b >= 90 && b <= 240) { n++; sum += i % width; }
      }
      const area = (height / 600) * (height / 600);
      if (n < 5 * area || n > 100 * area) {
        resolve(null);
        return;
      }
      const across = ((sum / n + 0.5) / width) * 2 - 1;
      resolve(Math.round((across * (width / height) / (4 / 3) + 1) / 2 * 800));
    };
  }));
}

// The flames stay put between columns LOW and HIGH (the walls are at 128
// and 672): six frames in a row in which they show lie within 8 columns,
// within about forty frames. A rock passing in front, hiding a flame or
// both, spoils a few frames in a row at a low frame rate; a ship that
// still slides never agrees for six. Resolves to where they are.
async function shipAtRest(page, label, low, high) {
  const columns = [];
  for (let i = 0; i < 40; ++i) {
    const column = await flameColumn(page);
    if (column !== null) {
      columns.push(column);
      const last = columns.slice(-6);
      if (last.length === 6 && Math.max(...last) - Math.min(...last) <= 8) {
        const rest = [...last].sort((a, b) => a - b)[3];
        if (rest < low || rest > high) {
          throw new Error(`${label}: the ship slid to column ${rest} (expected ${low} to ${high}; frames: ${columns})`);
        }
        return rest;
      }
    }
    await new Promise((done) => setTimeout(done, 150));
  }
  if (columns.length < 6) throw new Error(`${label}: the ship's flames were rarely in sight (${columns})`);
  throw new Error(`${label}: the ship kept sliding (frames: ${columns})`);
}

const sleep = (ms) => new Promise((done) => setTimeout(done, ms));

// Holds KEY down (keyboard.down; the caller lets it go) until the flames
// are at least 20 columns to the `side` (-1 left, +1 right) of FROM
// (movedAtLeast), at most ten seconds: how long that takes depends on the
// machine's tick rate.
async function holdUntilMoved(page, key, from, side) {
  await page.keyboard.down(key);
  if (!await movedAtLeast(page, from, side)) throw new Error(`the ship did not move under '${key}' within ten seconds`);
}

// Waits, at most ten seconds, until the flames are at least COLUMNS to the
// SIDE (-1 left, +1 right) of FROM in three frames in a row that show them:
// in one frame a rock passing in front of one flame moves their mean as
// far. Resolves to whether they got there.
async function movedAtLeast(page, from, side, columns = 20) {
  let inRow = 0;
  const end = Date.now() + 10000;
  while (Date.now() < end) {
    const column = await flameColumn(page);
    if (column === null) continue;
    inRow = (column - from) * side >= columns ? inRow + 1 : 0;
    if (inRow === 3) return true;
  }
  return false;
}

// A key's release (a key-up, a lifted finger) travels through the browser's
// input queue, which lags on a busy machine, so a ship let go late may
// glide on to its wall (columns 128 and 672), where a rest proves nothing.
// So a ship let go after a move comes to rest at least 15 columns to the
// SIDE (-1 left, +1 right) of FROM, its wall included, and the next move
// the other way shows that the key was let go: a key still held would stop
// that move at its wall or pull the ship back there. Resolves to the rest.
async function restsPast(page, label, from, side) {
  return side > 0 ? shipAtRest(page, label, from + 15, 680) : shipAtRest(page, label, 120, from - 15);
}

// Moves the ship from REST to the SIDE with KEY, lets go, and checks that it
// rests on that side (restsPast). Resolves to the new rest.
async function movesBack(page, key, rest, side) {
  await holdUntilMoved(page, key, rest, side);
  await page.keyboard.up(key);
  return restsPast(page, `after '${key}'`, rest, side);
}

// Chromium's own note when it copies a WebGL canvas to the screen without
// a GPU: the browser's doing, not the page's.
const compositorNote = /GL Driver Message \(OpenGL, Performance, .*\): GPU stall due to ReadPixels/;
const pageProblems = (problems) => problems.filter((problem) => !compositorNote.test(problem));

// The start-up lines of the desktop game, from the Linux build's snapshot
// program (the same start-up), with the GLEW version the page reports.
function desktopStartupLines(glewVersion) {
  const linuxBuild = process.env.ZARVY_BUILD_DIR || path.join(root, "build");
  const out = path.join(os.tmpdir(), `zarvy-web-startup-${process.pid}.png`);
  try {
    const text = execFileSync(path.join(linuxBuild, "zarvy-snapshot"), ["--out", out], { cwd: root, encoding: "utf8" });
    return text.split("\n").filter((line) => line !== "")
      .map((line) => line.replace(/^Status: Using GLEW .*$/, "Status: Using GLEW " + glewVersion));
  } finally {
    fs.rmSync(out, { force: true });
  }
}

// Loads URL, checks that nothing runs before the player asks for the
// flight, the start-up lines and that the game draws and takes keys (the
// ship moves under 'a'), then ends it with Escape.
async function loadsAndPlays(browser, url) {
  const { page, problems } = await watchedPage(browser);
  try {
    await openGame(page, url);
    assert.strictEqual(await page.title(), "Zarvy");
    assert.strictEqual(await page.$eval("#status", (status) => status.textContent), "Click to play");
    // Loaded, the game has not started: no line and no graphics context
    // (a game started at load has both by the time the page is ready).
    assert.deepStrictEqual(await panelLines(page), [], "the game started before the click");
    assert.strictEqual(await page.evaluate(() => typeof GLctx), "undefined", "the game took a graphics context before the click");
    await clickToPlay(page);
    // A rock drifting into the ship may add its lines at any time.
    const lines = (await panelLines(page)).filter((line) => !/^(Collision with Asteroid|playerImun) /.test(line));
    const glew = /^Status: Using GLEW (.*)$/.exec(lines.find((line) => line.startsWith("Status: ")))[1];
    assert.deepStrictEqual(lines, desktopStartupLines(glew));
    // The drawing buffer follows the size the page shows the canvas at.
    const size = await page.$eval("#canvas", (canvas) => {
      const box = canvas.getBoundingClientRect();
      return [canvas.width, canvas.height, Math.ceil(box.width), Math.ceil(box.height)];
    });
    assert.deepStrictEqual(size.slice(0, 2), size.slice(2), "the drawing buffer is not the canvas's shown size");
    const start = await shipAtRest(page, "start", 360, 440);
    const left = await movesBack(page, "a", start, -1);
    await movesBack(page, "d", left, 1);
    // The keys the game uses do not scroll a page too small for it.
    await page.setViewport({ width: 900, height: 400 });
    for (const key of ["ArrowDown", "PageDown", " ", "ArrowDown"]) await page.keyboard.press(key);
    await sleep(300);
    assert.strictEqual(await page.evaluate(() => window.scrollY), 0, "the page scrolled under the game's keys");
    await page.keyboard.press("Escape");
    await page.waitForFunction(() => state === "over", { timeout: 10000 });
    assert.deepStrictEqual(pageProblems(problems), []);
  } finally {
    await page.close();
  }
}

// Debian's firefox-esr, driven over WebDriver BiDi; it draws WebGL through
// Mesa's llvmpipe on the suite's X display.
async function launchFirefox() {
  return puppeteer.launch({
    browser: "firefox",
    executablePath: process.env.ZARVY_FIREFOX || "/usr/bin/firefox-esr",
    headless: true,
    protocolTimeout: 120000,
  });
}

// Lighthouse's report (its JSON result) of URL on PROFILE ("mobile" or
// "desktop") for CATEGORIES, in a new tab of BROWSER.
async function lighthouse(browser, url, profile, categories) {
  const { default: run } = await import("lighthouse");
  const config = profile === "desktop" ? (await import("lighthouse/core/config/desktop-config.js")).default : undefined;
  const port = Number(new URL(browser.wsEndpoint()).port);
  const flags = { port, hostname: "127.0.0.1", output: "json", logLevel: "error", onlyCategories: categories };
  const result = await run(url, flags, config);
  return result.lhr;
}

// Registers a test file's hooks: one browser (from LAUNCHER) and the site
// served on 127.0.0.1 for all its tests, closed after them. The returned
// object holds them as `browser` and `site` once the tests run.
function sharedBrowserAndSite(launcher = launch) {
  const shared = { browser: null, site: null };
  before(async () => {
    shared.browser = await launcher();
    shared.site = await serve(path.join(webBuild, "site"));
  });
  after(async () => {
    if (shared.browser) await shared.browser.close();
    if (shared.site) await shared.site.close();
  });
  return shared;
}

module.exports = {
  sharedBrowserAndSite, lighthouse,
  launchFirefox, loadsAndPlays, pageProblems, desktopStartupLines,
  root, webBuild, launch, serve, watchedPage, panelLines, waitForLines, openGame, clickToPlay, untilFlying,
  flameColumn, shipAtRest, restsPast, movedAtLeast, holdUntilMoved, movesBack, sleep,
};
