#!/usr/bin/env node
// usage: check-site.js SITE_DIR [--expect-continued] [--expect-flat] [--report REPORT.xrd]
// Runs the static site checks (site-check.js) and prints what it found; exits 1
// on any problem. --expect-continued: some section must continue on a second
// page; --expect-flat: some entry must be listed flat below depth 64;
// --report: the summary must equal the report's own summary rows.
'use strict';

const fs = require('fs');
const { checkSite, reportSummary } = require('./site-check');

const args = process.argv.slice(2);
const dir = args.find((a) => !a.startsWith('--') && args[args.indexOf(a) - 1] !== '--report');
if (!dir) {
  console.error('usage: check-site.js SITE_DIR [--expect-continued] [--expect-flat] [--report REPORT.xrd]');
  process.exit(2);
}
const { problems, stats } = checkSite(dir);
if (args.includes('--expect-continued') && stats.continued === 0) problems.push('no section continues on a second page');
if (args.includes('--expect-flat') && stats.flat === 0) problems.push('no entry is listed flat');
const r = args.indexOf('--report');
if (r >= 0) {
  const expected = reportSummary(fs.readFileSync(args[r + 1], 'utf8'));
  for (const k of ['passed', 'inconclusive', 'failed', 'total'])
    if (!stats.summary || stats.summary[k] !== expected[k])
      problems.push(`summary ${k}: ${stats.summary && stats.summary[k]}, the report says ${expected[k]}`);
}
console.log(JSON.stringify(stats));
for (const p of problems.slice(0, 50)) console.log('problem: ' + p);
if (problems.length > 50) console.log(`... and ${problems.length - 50} more problems`);
console.log(problems.length ? `check-site: ${problems.length} problems` :
  `check-site: ${stats.pages} pages, ${stats.links} links, ${stats.files} files: no problem`);
process.exit(problems.length ? 1 : 0);
