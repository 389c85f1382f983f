// Lighthouse (pinned at 12.2.3: the next major version wants a newer node)
// on the served site in Debian's headless chromium, on its mobile and its
// desktop profile: accessibility, best practices and SEO each score 100.
// Performance depends on the machine and is a benchmark's figure, not a
// test's (tests/web/benchmark.js --lighthouse, docs/performance.md).
"use strict";
const assert = require("assert");
const path = require("path");
const { test } = require("node:test");
const lib = require("./lib.js");

const shared = lib.sharedBrowserAndSite();

// The audits of CATEGORY that did not pass, with what Lighthouse says of them.
function failing(report, category) {
  return report.categories[category].auditRefs
    .map((ref) => report.audits[ref.id])
    .filter((audit) => audit.score !== null && audit.score < 1)
    .map((audit) => `${audit.id}: ${audit.title}${audit.displayValue ? " (" + audit.displayValue + ")" : ""}`);
}

for (const profile of ["mobile", "desktop"]) {
  test(`Lighthouse scores the page 100 in accessibility, best practices and SEO on ${profile}`, async () => {
    const categories = ["accessibility", "best-practices", "seo"];
    const report = await lib.lighthouse(shared.browser, shared.site.url, profile, categories);
    for (const category of categories) {
      assert.strictEqual(report.categories[category].score, 1,
                         `${category} on ${profile}: ${failing(report, category).join("; ")}`);
    }
  });
}
