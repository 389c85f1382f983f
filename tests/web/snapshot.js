#!/usr/bin/env node
// The snapshot program's command line (--seed N --ticks N --keys SCRIPT
// --out FILE.png) for the browser build: runs the same program, built with
// Emscripten, in its scene page in headless chromium, drawing through
// Mesa's llvmpipe on the current X display as the golden images were made,
// and writes the picture it read back. The golden-image test runs it in
// place of the desktop program (ZARVY_SNAPSHOT).
"use strict";
const fs = require("fs");
const path = require("path");
const lib = require("./lib.js");

async function main(argv) {
  const options = {};
  for (let i = 0; i < argv.length; i += 2) {
    if (!["--seed", "--ticks", "--keys", "--out"].includes(argv[i]) || argv[i + 1] === undefined) {
      throw new Error("usage: snapshot.js [--seed N] [--ticks N] [--keys SCRIPT] --out FILE.png");
    }
    options[argv[i].slice(2)] = argv[i + 1];
  }
  if (!options.out) throw new Error("--out FILE.png is required");
  const query = new URLSearchParams();
  for (const name of ["seed", "ticks", "keys"]) {
    if (options[name] !== undefined) query.set(name, options[name]);
  }
  const server = await lib.serve(path.join(lib.webBuild, "scene"));
  const browser = await lib.launch({ drawWithMesa: true });
  try {
    const { page, problems } = await lib.watchedPage(browser);
    await page.goto(server.url + "scene.html?" + query.toString(), { waitUntil: "load" });
    await page.waitForFunction(() => window.scene !== undefined, { timeout: 120000 });
    const scene = await page.evaluate(() => window.scene);
    process.stdout.write(scene.lines.map((line) => line + "\n").join(""));
    if (scene.status !== 0) throw new Error("the snapshot program ended with status " + scene.status);
    fs.writeFileSync(options.out, Buffer.from(scene.png, "base64"));
    // The picture is kept to be looked at, but a page that complained fails.
    if (problems.length > 0) throw new Error(problems.join("\n"));
  } finally {
    await browser.close();
    await server.close();
  }
}

main(process.argv.slice(2)).catch((error) => {
  process.stderr.write("snapshot.js: " + error.message + "\n");
  process.exit(1);
});
