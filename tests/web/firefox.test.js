// The same site in Debian's firefox-esr, driven over WebDriver BiDi (no
// browser is downloaded): it loads and plays with the desktop's start-up
// lines, takes keys, ends on Escape, and shows no page error or console
// warning.
"use strict";
const assert = require("assert");
const path = require("path");
const { test } = require("node:test");
const lib = require("./lib.js");

const shared = lib.sharedBrowserAndSite(lib.launchFirefox);

test("the site loads and plays in firefox-esr", async () => {
  await lib.loadsAndPlays(shared.browser, shared.site.url);
});

// Firefox emulates no touch screen here (no coarse pointer, no touch
// events on the window until one arrives), but it takes touches through
// WebDriver BiDi's pointer actions: the first touch shows the controls, as
// on any device.
test("on a phone-sized screen held sideways firefox-esr fills it with the picture and steers by touch", async () => {
  const page = await shared.browser.newPage();
  const problems = [];
  page.on("pageerror", (error) => problems.push("page error: " + error.message));
  page.on("console", (message) => {
    if (["error", "warn", "warning", "assert"].includes(message.type())) problems.push(`console: ${message.text()}`);
  });
  try {
    await page.setViewport({ width: 844, height: 390, deviceScaleFactor: 3, isMobile: true, hasTouch: true });
    await lib.openGame(page, shared.site.url);
    await page.touchscreen.tap(422, 195);
    await page.waitForFunction(() => document.documentElement.classList.contains("touch") &&
                                     document.getElementById("cover").hidden, { timeout: 10000 });
    await lib.untilFlying(page);
    const shape = await page.evaluate(() => {
      const canvas = document.getElementById("canvas");
      const box = canvas.getBoundingClientRect();
      return { scroll: document.scrollingElement.scrollWidth, box: [box.left, box.top, box.width, box.height],
               buffer: [canvas.width, canvas.height], viewport: Array.from(GLctx.getParameter(GLctx.VIEWPORT)) };
    });
    assert.ok(shape.scroll <= 844, `the page scrolls sideways (${shape.scroll})`);
    assert.deepStrictEqual(shape.box, [0, 0, 844, 390]);
    assert.deepStrictEqual(shape.buffer, [1688, 780]);
    assert.deepStrictEqual(shape.viewport, [0, 0, 1688, 780]);

    // Each touch goes through the driver, which may lag a frame or two
    // behind: "right" is lifted as soon as the ship moves, and the ship may
    // still reach the wall (column 672). "left" after it shows that "right"
    // was let go: with both held the ship would not move.
    const start = await lib.shipAtRest(page, "start", 360, 440);
    const slide = async (name, from, side) => {
      const control = await page.$(`#touch button[aria-label="${name}"]:not([hidden])`);
      const box = await control.boundingBox();
      await page.touchscreen.touchStart(box.x + box.width / 2, box.y + box.height / 2);
      const moved = await lib.movedAtLeast(page, from, side, 10);
      await page.touchscreen.touchEnd();
      assert.ok(moved, `the ship did not move under "${name}"`);
    };
    await slide("right", start, 1);
    const right = await lib.shipAtRest(page, "right lifted", start + 5, 680);
    await slide("left", right, -1);
    await lib.shipAtRest(page, "left lifted", 120, right - 5);
    assert.deepStrictEqual(await page.evaluate(() => Zarvy.keys.held()), []);
    assert.deepStrictEqual(lib.pageProblems(problems), []);
  } finally {
    await page.close();
  }
});
