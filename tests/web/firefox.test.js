// The same site in Debian's firefox-esr, driven over WebDriver BiDi (no
// browser is downloaded): it loads and plays with the desktop's start-up
// lines, takes keys, ends on Escape, and shows no page error or console
// warning.
"use strict";
const path = require("path");
const { test, before, after } = require("node:test");
const lib = require("./lib.js");

let browser;
let site;

before(async () => {
  browser = await lib.launchFirefox();
  site = await lib.serve(path.join(lib.webBuild, "site"));
});

after(async () => {
  if (browser) await browser.close();
  if (site) await site.close();
});

test("the site loads and plays in firefox-esr", async () => {
  await lib.loadsAndPlays(browser, site.url);
});
