#!/usr/bin/env node
// The browser game's speed in headless chromium on this machine, beside the
// native frame benchmark of the same run: ticks and frames per second, the
// page's own work per frame (the game's tick-to-picture callback with the
// GL emulation, timed around each frame, plus the touch controls' and the
// gamepad's work: a stand-in pad, held to the right, is read every frame),
// the time from opening the page to "Click to play" and from the click to
// the first frame, and the wasm memory over the run. A benchmark, not a
// test: it reports and asserts nothing.
//
//   xvfb-run -a -s "-screen 0 1024x768x24 -noreset" node tests/web/benchmark.js [SECONDS]
//   xvfb-run -a -s "-screen 0 1024x768x24 -noreset" node tests/web/benchmark.js --lighthouse
//
// With --lighthouse it runs Lighthouse's performance audit of the served
// site on its mobile and desktop profiles instead (three runs each, the
// median score), with the site's bytes and its first paint and largest
// paint as Lighthouse's throttled profile estimates them.
//
// Chromium draws through Mesa's llvmpipe on that display, as the native
// game does, at three drawing buffers: 800 by 600 (the desktop window), a
// phone held sideways (an iPhone 13's 844 by 390 at the page's cap of twice
// the CSS pixels: 1688 by 780) and a full-HD screen in fullscreen (1920 by
// 1080); then once with its own SwiftShader, as headless chromium does by
// default, at 800 by 600. The Linux build (ZARVY_BUILD_DIR, default build/)
// gives the native figures.
"use strict";
const { execFileSync } = require("child_process");
const { KnownDevices } = require("puppeteer-core");
const path = require("path");
const lib = require("./lib.js");

const seconds = Number(process.argv[2] === "--lighthouse" ? 0 : process.argv[2] || 60);

function percentile(values, p) {
  const sorted = [...values].sort((a, b) => a - b);
  return sorted[Math.min(sorted.length - 1, Math.floor(sorted.length * p))];
}

// The screens: how the page is shown to give each drawing buffer.
const screens = {
  // The panel beside the picture takes 360 pixels of the width.
  "800 by 600": async (page) => page.setViewport({ width: 1160, height: 600 }),
  "1688 by 780 (phone)": async (page) => page.emulate(KnownDevices["iPhone 13 landscape"]),
  "1920 by 1080 (full HD)": async (page) => page.setViewport({ width: 1920, height: 1080 }),
};

async function browserFigures(drawWithMesa, screen) {
  const site = await lib.serve(path.join(lib.webBuild, "site"));
  const browser = await lib.launch({ drawWithMesa, extraArgs: ["--window-size=1920,1080"] });
  try {
    const page = await browser.newPage();
    await screens[screen](page);
    // Every tick re-arms the game's timer for the time the next tick is
    // due (about 20 ms ahead, a millisecond more when a timer fired early,
    // 0 when behind); nothing else of the running page arms one: counting
    // those timers counts the ticks. The stand-in pad stands where the Gamepad API
    // reports pads (headless chromium has none).
    await page.evaluateOnNewDocument(() => {
      window.bench = { ticks: 0, frames: 0, work: [], pad: 0, firstFrame: null, memory: [] };
      const arm = window.setTimeout;
      window.setTimeout = function (callback, delay, ...rest) {
        if (delay < 100) window.bench.ticks++;
        return arm.call(this, callback, delay, ...rest);
      };
      const pad = {
        id: "Stand-in pad", index: 0, connected: true, mapping: "standard", timestamp: 0, axes: [0.02, 0, 0, 0],
        buttons: Array.from({ length: 17 }, () => ({ pressed: false, touched: false, value: 0 })),
      };
      Object.defineProperty(Navigator.prototype, "getGamepads", { configurable: true, value: () => [pad, null, null, null] });
    });
    await page.goto(site.url, { waitUntil: "domcontentloaded" });
    await page.evaluate(() => {
      let began = 0;
      const poll = Zarvy.gamepad.poll;
      Zarvy.gamepad.poll = () => {
        const start = performance.now();
        poll();
        window.bench.pad += performance.now() - start;
      };
      Module.preMainLoop = () => { began = performance.now() - window.bench.pad; window.bench.pad = 0; };
      Module.postMainLoop = () => {
        const now = performance.now();
        if (window.bench.firstFrame === null) window.bench.firstFrame = now;
        window.bench.frames++;
        window.bench.work.push(now - began);
      };
    });
    // Loaded, the flight starts on a click into the picture.
    await page.waitForFunction(() => state === "ready", { timeout: 120000 });
    const ready = await page.evaluate(() => performance.now());
    await page.click("#cover");
    if (screen.includes("full HD")) {
      await page.waitForFunction(() => state === "running", { timeout: 120000 });
      await (await page.$("aria/fullscreen[role=\"button\"]")).click();
      await page.waitForFunction(() => document.fullscreenElement !== null, { timeout: 10000 });
    }
    await page.waitForFunction(() => window.bench.firstFrame !== null, { timeout: 120000 });
    await page.evaluate(() => { window.bench.ticks = 0; window.bench.frames = 0; window.bench.work = []; });
    const samples = [];
    for (let s = 0; s < seconds; ++s) {
      await lib.sleep(1000);
      samples.push(await page.evaluate(() => ({
        ticks: window.bench.ticks, frames: window.bench.frames, memory: wasmMemory.buffer.byteLength,
      })));
    }
    const result = await page.evaluate(() => ({
      work: window.bench.work, firstFrame: window.bench.firstFrame,
      buffer: [document.getElementById("canvas").width, document.getElementById("canvas").height],
    }));
    const last = samples[samples.length - 1];
    const perSecond = samples.map((sample, i) => sample.ticks - (i > 0 ? samples[i - 1].ticks : 0));
    return {
      buffer: result.buffer.join(" by "),
      ticksPerSecond: last.ticks / seconds,
      slowestSecondTicks: Math.min(...perSecond),
      framesPerSecond: last.frames / seconds,
      workMedian: percentile(result.work, 0.5),
      work90: percentile(result.work, 0.9),
      ready,
      firstFrame: result.firstFrame - ready,
      memoryStart: samples[0].memory / 1048576,
      memoryEnd: last.memory / 1048576,
    };
  } finally {
    await browser.close();
    await site.close();
  }
}

function nativeFigures() {
  const linuxBuild = process.env.ZARVY_BUILD_DIR || path.join(lib.root, "build");
  return execFileSync(path.join(linuxBuild, "zarvy-framebench"), [], { cwd: lib.root, encoding: "utf8" })
    .split("\n").filter((line) => /^(Full frame|Empty|Process start|Peak)/.test(line)).join("\n");
}

async function lighthouseFigures() {
  const site = await lib.serve(path.join(lib.webBuild, "site"));
  const browser = await lib.launch();
  try {
    for (const profile of ["mobile", "desktop"]) {
      const runs = [];
      for (let i = 0; i < 3; ++i) {
        const report = await lib.lighthouse(browser, site.url, profile, ["performance", "accessibility", "best-practices", "seo"]);
        runs.push(report);
      }
      runs.sort((a, b) => a.categories.performance.score - b.categories.performance.score);
      const report = runs[1];
      const audit = (id) => report.audits[id];
      console.log(`Lighthouse 12.2.3, ${profile} profile (median of 3 runs; scores ${runs.map((r) => Math.round(r.categories.performance.score * 100)).join(", ")}):`);
      for (const category of ["performance", "accessibility", "best-practices", "seo"]) {
        console.log(`  ${category}: ${Math.round(report.categories[category].score * 100)}`);
      }
      for (const id of ["first-contentful-paint", "largest-contentful-paint", "total-blocking-time", "cumulative-layout-shift", "speed-index"]) {
        console.log(`  ${audit(id).title}: ${audit(id).displayValue}`);
      }
      console.log(`  bytes over the network: ${Math.round(audit("total-byte-weight").numericValue / 1024)} KiB`);
    }
  } finally {
    await browser.close();
    await site.close();
  }
}

(async () => {
  if (process.argv[2] === "--lighthouse") {
    await lighthouseFigures();
    return;
  }
  const f = (x) => x.toFixed(1);
  const runs = Object.keys(screens).map((screen) => [true, "Mesa's llvmpipe", screen]);
  runs.push([false, "SwiftShader", "800 by 600"]);
  for (const [drawWithMesa, name, screen] of runs) {
    const web = await browserFigures(drawWithMesa, screen);
    console.log(`Browser (headless chromium, ${name}), a ${web.buffer} drawing buffer, ${seconds} s of play:`);
    console.log(`  ticks per second:        ${f(web.ticksPerSecond)} (slowest second ${web.slowestSecondTicks})`);
    console.log(`  frames per second:       ${f(web.framesPerSecond)}`);
    console.log(`  page work per frame:     median ${f(web.workMedian)} ms, p90 ${f(web.work90)} ms`);
    console.log(`  opening to "Click to play": ${Math.round(web.ready)} ms; click to first frame: ${Math.round(web.firstFrame)} ms`);
    console.log(`  wasm memory:             ${f(web.memoryStart)} MB after 1 s, ${f(web.memoryEnd)} MB at the end`);
  }
  const native = nativeFigures();
  console.log("Native (zarvy-framebench), right after:");
  console.log(native.replace(/^/gm, "  "));
  // The native game draws a frame per tick, so its tick rate is its frame
  // rate up to the 50 of its 20 ms timer.
  const frame = Number(/Full frame.*median ([0-9.]+) ms/.exec(native)[1]);
  console.log(`  ticks per second, as its frames allow: ${f(Math.min(50, 1000 / frame))}`);
})().catch((error) => {
  console.error("benchmark.js: " + error.message);
  process.exit(1);
});
