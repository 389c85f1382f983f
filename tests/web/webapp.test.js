// The browser game as a web app a player keeps, in Debian's headless
// chromium (a profile of its own, not an incognito one, which installs
// nothing): the manifest and chromium's own installability check at the
// server's root and deeper, an offline reload that plays, a new release
// that replaces the old one and its cache, a lost graphics context, and the
// tick's timer against a stood-in clock whose timers fire late.
"use strict";
const assert = require("assert");
const { execFileSync } = require("child_process");
const fs = require("fs");
const os = require("os");
const path = require("path");
const { test, before, after } = require("node:test");
const lib = require("./lib.js");

let browser;
let work;

before(async () => {
  browser = await lib.launch();
  work = fs.mkdtempSync(path.join(os.tmpdir(), "zarvy-webapp-"));
});

after(async () => {
  if (browser) await browser.close();
  if (work) fs.rmSync(work, { recursive: true, force: true });
});

// A copy of the site under FOLDER/PREFIX, served from FOLDER: the site's
// address is the server's root plus PREFIX.
async function serveCopy(name, prefix) {
  const folder = path.join(work, name);
  fs.cpSync(path.join(lib.webBuild, "site"), path.join(folder, prefix), { recursive: true });
  const server = await lib.serve(folder);
  return { folder: path.join(folder, prefix), url: server.url + prefix, close: server.close, setOffline: server.setOffline };
}

// Waits until the page is controlled by an active worker of the site.
async function kept(page) {
  await page.waitForFunction(async () => {
    const registration = await navigator.serviceWorker.getRegistration();
    return Boolean(registration && registration.active && navigator.serviceWorker.controller);
  }, { timeout: 60000, polling: 200 });
}

// A first visit in CONTEXT that keeps the site; resolves to the caches it made.
async function firstVisit(context, site) {
  const page = await context.newPage();
  await lib.openGame(page, site.url);
  await kept(page);
  const made = await page.evaluate(async () => caches.keys());
  return { page, made };
}

// Asks the browser to look for a new worker of the site now, as it does on
// a visit, and waits until it has fetched the worker's file (a copy it
// starts goes on in the background).
async function lookForUpdate(page) {
  await page.evaluate(async () => {
    const registration = await navigator.serviceWorker.getRegistration();
    await registration.update().catch(() => {});
  });
}

// A new release at the copy in FOLDER, as a build makes one: a page file
// changes (the page then sets window.newRelease), with EXTRA files the
// worker is to list, and the worker is written anew.
function release(folder, extra = {}) {
  fs.appendFileSync(path.join(folder, "page", "loading.js"), "\nwindow.newRelease = true;\n");
  for (const [name, text] of Object.entries(extra)) fs.writeFileSync(path.join(folder, name), text);
  execFileSync("python3", [path.join(lib.root, "scripts/make-web-worker.py"),
                           path.join(lib.root, "packaging/web/sw.js"), folder]);
}

// Waits until the game draws frames: it loaded and asked for the click that
// starts the flight (given here), or flies already, and its picture is live.
async function drawing(page) {
  await page.waitForFunction(() => typeof state !== "undefined" && (state === "ready" || state === "running"),
                             { timeout: 60000 });
  if (await page.evaluate(() => state === "ready")) {
    assert.strictEqual(await page.$eval("#status", (status) => status.textContent), "Click to play");
    await lib.clickToPlay(page);
  }
  await page.evaluate(() => {
    window.framesDrawn = 0;
    Module.postMainLoop = () => { window.framesDrawn++; };
  });
  await page.waitForFunction(() => window.framesDrawn > 3, { timeout: 30000 });
}

test("the manifest names the app and its icons, and chromium finds it installable at the root and deeper", async () => {
  for (const prefix of ["", "games/space/zarvy/"]) {
    const site = await serveCopy(`install-${prefix.length}`, prefix);
    const { page, problems } = await lib.watchedPage(browser);
    try {
      await lib.openGame(page, site.url);
      const manifest = JSON.parse(fs.readFileSync(path.join(site.folder, "manifest.webmanifest"), "utf8"));
      assert.strictEqual(manifest.name, "Zarvy");
      assert.strictEqual(manifest.display, "fullscreen");
      assert.strictEqual(manifest.orientation, "landscape");
      assert.deepStrictEqual([manifest.start_url, manifest.scope], ["./", "./"]);
      for (const icon of manifest.icons) {
        const size = Number(icon.sizes.split("x")[0]);
        const file = path.join(site.folder, icon.src);
        assert.deepStrictEqual(fs.readFileSync(file).subarray(16, 24),
                               Buffer.from([0, 0, size >> 8, size & 255, 0, 0, size >> 8, size & 255]), icon.src);
      }
      assert.ok(manifest.icons.some((icon) => icon.purpose === "maskable"));
      await kept(page);
      const session = await page.createCDPSession();
      const { installabilityErrors } = await session.send("Page.getInstallabilityErrors");
      assert.deepStrictEqual(installabilityErrors, [], `at /${prefix}`);
      assert.deepStrictEqual(lib.pageProblems(problems), [], `at /${prefix}`);
    } finally {
      await page.close();
      await site.close();
    }
  }
});

test("after one visit the site plays with no network, and a new release replaces the old one and its cache", async () => {
  const site = await serveCopy("offline", "zarvy/");
  const context = await browser.createBrowserContext();
  try {
    // The first visit keeps the site.
    let { page, made: first } = await firstVisit(context, site);
    assert.strictEqual(first.length, 1, `caches: ${first}`);

    // A reload with no network plays.
    site.setOffline(true);
    await page.reload({ waitUntil: "load" });
    await drawing(page);
    site.setOffline(false);
    await page.close();

    // A new release at the same address.
    release(site.folder);
    // A player's next visits online: a visit after the release fetches it in
    // the background while the old release serves the page; the new one
    // takes over when no page of the old one is open, and only its cache is
    // left. When the browser hands over after a page closes is its own
    // affair: a visit right after the last may still find the old release
    // in charge, so up to six visits are allowed.
    let visits = 0;
    for (;;) {
      page = await context.newPage();
      await page.goto(site.url, { waitUntil: "load" });
      visits++;
      // The browser looks for a new worker on every visit; the test waits
      // until that look, and any copy it started, is over.
      await lookForUpdate(page);
      await page.waitForFunction(async () => {
        const registration = await navigator.serviceWorker.getRegistration();
        return !registration.installing;
      }, { timeout: 60000, polling: 300 });
      if (await page.evaluate(() => window.newRelease === true) || visits === 6) break;
      await page.close();
    }
    assert.strictEqual(await page.evaluate(() => window.newRelease), true, `the old release still plays after ${visits} visits`);
    await page.waitForFunction(async () => (await caches.keys()).length === 1, { timeout: 10000, polling: 200 })
      .catch(() => {});
    const second = await page.evaluate(async () => caches.keys());
    assert.strictEqual(second.length, 1, `the old release's cache was kept: ${second}`);
    assert.notDeepStrictEqual(second, first);
    site.setOffline(true);
    await page.reload({ waitUntil: "load" });
    await drawing(page);
    assert.strictEqual(await page.evaluate(() => window.newRelease), true);
    await page.close();
  } finally {
    await context.close();
    await site.close();
  }
});

test("an update whose copy fails half-way leaves the old release playing", async () => {
  const site = await serveCopy("half", "");
  const context = await browser.createBrowserContext();
  try {
    let { page, made: first } = await firstVisit(context, site);
    await page.close();
    // The new release names a file the server does not have.
    release(site.folder, { "missing.txt": "gone before the worker copies it" });
    fs.rmSync(path.join(site.folder, "missing.txt"));
    page = await context.newPage();
    await page.goto(site.url, { waitUntil: "load" });
    await lookForUpdate(page);
    await page.close();
    page = await context.newPage();
    const problems = [];
    page.on("pageerror", (error) => problems.push(error.message));
    site.setOffline(true);
    await page.goto(site.url, { waitUntil: "load" });
    await drawing(page);
    assert.deepStrictEqual(await page.evaluate(async () => caches.keys()), first);
    assert.strictEqual(await page.evaluate(() => window.newRelease), undefined);
    assert.deepStrictEqual(problems, []);
    await page.close();
  } finally {
    await context.close();
    await site.close();
  }
});

test("the single file from disk registers no worker, names no manifest and shows no error", async () => {
  const folder = path.join(work, "disk");
  fs.mkdirSync(folder);
  const version = /project\(Zarvy VERSION ([0-9.]+)/.exec(fs.readFileSync(path.join(lib.root, "CMakeLists.txt"), "utf8"))[1];
  const file = path.join(folder, `zarvy-${version}.html`);
  fs.copyFileSync(path.join(lib.webBuild, `zarvy-${version}.html`), file);
  const { page, problems } = await lib.watchedPage(browser);
  try {
    await page.goto("file://" + file, { waitUntil: "load" });
    await drawing(page);
    assert.strictEqual(await page.evaluate(() => Zarvy.offline.registration), null);
    assert.strictEqual(await page.$('link[rel="manifest"]'), null);
    assert.deepStrictEqual(lib.pageProblems(problems), []);
  } finally {
    await page.close();
  }
});

test("a lost graphics context ends the flight with a message, and one tap starts a new one", async () => {
  const site = await serveCopy("lost", "");
  const { page, problems } = await lib.watchedPage(browser);
  try {
    await lib.openGame(page, site.url);
    await drawing(page);
    await page.evaluate(() => { window.lose = GLctx.getExtension("WEBGL_lose_context"); window.lose.loseContext(); });
    await page.waitForFunction(() => state === "lost", { timeout: 10000 });
    assert.match(await page.$eval("#status", (status) => status.textContent), /graphics were lost/);
    assert.strictEqual(await page.$eval("#cover", (cover) => cover.hidden), false);
    // The browser gives the context back: the message stays, nothing breaks.
    await page.evaluate(() => window.lose.restoreContext());
    await lib.sleep(300);
    assert.strictEqual(await page.evaluate(() => state), "lost");
    await Promise.all([page.waitForNavigation({ waitUntil: "load" }),
                       (await page.waitForSelector('aria/Fly again[role="button"]')).click()]);
    await page.waitForFunction(() => typeof state !== "undefined" && state === "running", { timeout: 60000 });
    await drawing(page);
    assert.deepStrictEqual(lib.pageProblems(problems), []);
  } finally {
    await page.close();
    await site.close();
  }
});

test("the tick's timer aims at each tick's due time: a late-firing clock still gets 50 ticks a second, and a stall catches up a few", async () => {
  const site = await serveCopy("clock", "");
  const { page, problems } = await lib.watchedPage(browser);
  try {
    await lib.openGame(page, site.url);
    // From here on the page's clock is a stand-in: time moves only when the
    // test says, and every timer fires 1.5 ms after it was due, as a busy
    // browser's do. The game's next tick is armed on it.
    await page.evaluate(() => {
      let now = performance.now();
      const timers = [];
      performance.now = () => now;
      window.setTimeout = (callback, delay, ...args) => {
        timers.push({ at: now + Math.max(0, Number(delay) || 0), callback, args });
        return timers.length;
      };
      window.standIn = {
        fired: [],
        pending: () => timers.length,
        // Moves the clock to UNTIL, firing each timer due on the way 1.5 ms late.
        run(until) {
          for (;;) {
            timers.sort((a, b) => a.at - b.at);
            if (timers.length === 0 || timers[0].at + 1.5 > until) break;
            const timer = timers.shift();
            now = Math.max(now, timer.at + 1.5);
            this.fired.push(now);
            timer.callback(...timer.args);
          }
          now = Math.max(now, until);
          return now;
        },
        stall(ms) { now += ms; return now; },
      };
    });
    await lib.clickToPlay(page);
    await page.waitForFunction(() => window.standIn.pending() > 0, { timeout: 10000 });
    const result = await page.evaluate(() => {
      const s = window.standIn;
      const start = s.run(performance.now() + 100);
      s.fired.length = 0;
      s.run(start + 2500);
      const steady = s.fired.slice();
      s.fired.length = 0;
      const stalled = s.stall(5000);
      s.run(stalled + 10);
      const afterStall = s.fired.length;
      s.run(stalled + 1010);
      return { span: steady[100] - steady[0], afterStall, secondAfter: s.fired.length - afterStall };
    });
    assert.ok(Math.abs(result.span - 2000) <= 3, `100 ticks spanned ${result.span} ms of the clock`);
    assert.ok(result.afterStall >= 1 && result.afterStall <= 5, `${result.afterStall} ticks at once after a 5 s stall`);
    assert.ok(Math.abs(result.secondAfter - 50) <= 1, `${result.secondAfter} ticks in the second after the stall`);
    assert.strictEqual(await page.evaluate(() => state), "running");
    assert.deepStrictEqual(lib.pageProblems(problems), []);
  } finally {
    await page.close();
    await site.close();
  }
});
