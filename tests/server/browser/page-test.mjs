// Drives Sonotag's web page in the system's headless Chromium: pastes the
// sample lesson, uploads the sample packages, annotates with the options of
// each row, reads the preview and counts, downloads the results and compares
// them with what `sonotag annotate` writes for the same input and options.
// Screenshots go to the output folder. Exit status 0 when every row passes,
// 1 when one fails, 77 (skipped) without Chromium or puppeteer-core.
//
// node page-test.mjs --sonotag BUILD/cli/sonotag --source SOURCE_DIR --out OUTPUT_DIR
import { spawn, spawnSync } from "node:child_process";
import fs from "node:fs";
import path from "node:path";
import readline from "node:readline";

const argument = (name) => process.argv[process.argv.indexOf(`--${name}`) + 1];
const sonotag = argument("sonotag");
const source = argument("source");
const out = argument("out");
const chromium = process.env.SONOTAG_CHROMIUM || "/usr/bin/chromium";
const SKIPPED = 77;

let puppeteer;
try {
  puppeteer = (await import("puppeteer-core")).default;
} catch {
  console.log("skipped: puppeteer-core is not installed (npm ci in tests/server/browser)");
  process.exit(SKIPPED);
}
if (!fs.existsSync(chromium)) {
  console.log(`skipped: no Chromium at ${chromium}`);
  process.exit(SKIPPED);
}

const lesson = path.join(source, "cli/sample-lesson.txt");
const idml = path.join(source, "cli/sample-lesson.idml");
const docx = path.join(source, "cli/sample-lesson.docx");
const brokenIdml = path.join(source, "tests/fixtures/idml/not-a-zip.idml");

// Each row: the page's language, the input (pasted text or a file), the
// options set on the page and the same as command-line options.
const ROWS = [
  { name: "text", language: "en-GB", paste: lesson, options: {}, cli: [] },
  {
    name: "text-kingsoft",
    language: "en-US",
    paste: lesson,
    options: { notation: "kingsoft14", left: "[", right: "]", separator: "", exact: true },
    cli: ["--notation", "kingsoft14", "--left", "[", "--right", "]", "--separator", "", "--exact"],
  },
  {
    name: "idml-style",
    language: "zh-CN",
    file: idml,
    options: { notation: "kingsoft13", style: ":Phonetics:IPA" },
    cli: ["--notation", "kingsoft13", "--character-style", ":Phonetics:IPA"],
  },
  { name: "idml", language: "en-GB", file: idml, options: {}, cli: [] },
  { name: "docx", language: "en-GB", file: docx, options: {}, cli: [], docx: true },
  { name: "broken-idml", language: "en-GB", file: brokenIdml, options: {}, cli: [], refused: true },
];

// What the command line writes for the input with the options: the bytes
// and its --stats words and annotations, or its one-line refusal.
function commandLine(row) {
  const input = row.paste || row.file;
  const packaged = !input.endsWith(".txt");
  const output = path.join(out, `cli-${row.name}${path.extname(input)}`);
  const run = spawnSync(sonotag, ["annotate", "--stats", ...row.cli, input, ...(packaged ? ["--output", output] : [])]);
  const said = run.stderr.toString("utf8");
  if (run.status !== 0) return { refusal: said.replace(/^sonotag: /, "").split("\n")[0] };
  return { bytes: packaged ? fs.readFileSync(output) : run.stdout, stats: /words: (\d+), annotations: (\d+)/.exec(said) };
}

// `sonotag serve` on a free loopback port; resolves with the process and its address.
function startServer() {
  const server = spawn(sonotag, ["serve", "--port", "0"], { stdio: ["ignore", "pipe", "inherit"] });
  return new Promise((resolve, reject) => {
    readline.createInterface({ input: server.stdout }).once("line", (line) => {
      const address = /http:\/\/[^/]+\//.exec(line);
      if (address) resolve({ server, address: address[0] });
      else reject(new Error(`the server said: ${line}`));
    });
    server.once("exit", (code) => reject(new Error(`the server ended with ${code}`)));
  });
}

const failures = [];
function check(row, what, ok, detail = "") {
  console.log(`${ok ? "ok  " : "FAIL"} ${row.name}: ${what}${ok ? "" : ` — ${detail}`}`);
  if (!ok) failures.push(`${row.name}: ${what}`);
}

async function setOptions(page, options) {
  if (options.notation) await page.select("#notation", options.notation);
  for (const field of ["left", "right", "separator"]) {
    if (field in options) await page.$eval(`#${field}`, (element, value) => (element.value = value), options[field]);
  }
  if (options.exact) await page.click("input[name=lookup][value=exact]");
  if (options.style) {
    await page.waitForFunction((style) => [...document.querySelectorAll("#style option")].some((o) => o.value === style), {}, options.style);
    await page.select("#style", options.style);
  }
}

async function newestDownload(folder, before) {
  for (let tries = 0; tries < 200; ++tries) {
    const names = fs.readdirSync(folder).filter((name) => !before.includes(name) && !name.endsWith(".crdownload"));
    if (names.length) return path.join(folder, names[0]);
    await new Promise((resolve) => setTimeout(resolve, 100));
  }
  throw new Error("no download arrived");
}

async function runRow(browser, address, row) {
  const expected = commandLine(row);
  if (row.docx && expected.refusal) {
    console.log(`skip ${row.name}: this build does not read DOCX (${expected.refusal})`);
    return;
  }
  const page = await browser.newPage();
  await page.evaluateOnNewDocument((language) => Object.defineProperty(navigator, "language", { get: () => language }), row.language);
  const downloads = path.join(out, "downloads", row.name);
  fs.mkdirSync(downloads, { recursive: true });
  const session = await page.createCDPSession();
  await session.send("Browser.setDownloadBehavior", { behavior: "allow", downloadPath: downloads });
  await page.setViewport({ width: 1280, height: 900 });
  await page.goto(address, { waitUntil: "load" });
  const label = await page.$eval("#annotate", (button) => button.textContent);
  check(row, `the page speaks ${row.language}`, label === (row.language.startsWith("zh") ? "标注" : "Annotate"), label);

  if (row.paste) {
    await page.focus("#text");
    await page.evaluate((text) => document.execCommand("insertText", false, text), fs.readFileSync(row.paste, "utf8"));
  } else {
    await (await page.$("#file")).uploadFile(row.file);
  }
  await setOptions(page, row.options);
  if (row.refused) {
    await page.waitForSelector("#file-error:not([hidden])");
    const said = await page.$eval("#file-error", (element) => element.textContent);
    check(row, "the refusal beside the file is the command line's", said === expected.refusal, `${said} / ${expected.refusal}`);
    await page.screenshot({ path: path.join(out, `page-${row.name}.png`) });
    await page.close();
    return;
  }
  await page.click("#annotate");
  await page.waitForSelector("#results:not([hidden])", { timeout: 60000 });
  const shown = await page.evaluate(() => ({
    words: document.querySelector("#count-words").textContent,
    annotated: document.querySelector("#count-annotated").textContent,
    marks: document.querySelectorAll("#preview .ipa").length,
    font: getComputedStyle(document.querySelector("#preview .ipa")).fontFamily,
    lines: [...document.querySelectorAll("#preview p")].map((p) => p.textContent).join("\n"),
  }));
  check(row, "the counts are the command line's", `${shown.words}/${shown.annotated}` === `${expected.stats[1]}/${expected.stats[2]}`, JSON.stringify(shown));
  check(row, "each annotation is marked in the preview", shown.marks === Number(expected.stats[2]), `${shown.marks}`);
  check(row, "the marks are in the notation's font", /Lucida Sans Unicode|KPP Edition/.test(shown.font), shown.font);
  if (row.paste) {
    const text = expected.bytes.toString("utf8").replace(/\n+$/, "");
    check(row, "the preview reads as the command line's lines", shown.lines === text, shown.lines.slice(0, 200));
  }
  await page.screenshot({ path: path.join(out, `page-${row.name}.png`), fullPage: true });

  const before = fs.readdirSync(downloads);
  await page.click("#download");
  const file = await newestDownload(downloads, before);
  const wanted = row.paste ? "text-annotated.txt" : path.basename(row.file).replace(/(\.[a-z]+)$/, "-annotated$1");
  check(row, `the download is named ${wanted}`, path.basename(file) === wanted, path.basename(file));
  check(row, "the download holds the command line's bytes", fs.readFileSync(file).equals(expected.bytes), `${fs.statSync(file).size} bytes`);
  await page.close();
}

fs.rmSync(out, { recursive: true, force: true });
fs.mkdirSync(out, { recursive: true });
const { server, address } = await startServer();
const browser = await puppeteer.launch({
  executablePath: chromium,
  headless: true,
  userDataDir: path.join(out, "chromium-profile"),
  args: ["--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run", "--disable-background-networking",
    "--disable-component-update", "--disable-sync"],
});
try {
  for (const row of ROWS) {
    try {
      await runRow(browser, address, row);
    } catch (error) {
      check(row, "the row ran", false, error.message);
    }
  }
} finally {
  await browser.close();
  const ended = new Promise((resolve) => server.once("exit", (code, signal) => resolve({ code, signal })));
  server.kill("SIGTERM");
  const { code } = await ended;
  check({ name: "server" }, "SIGTERM stops it cleanly", code === 0, `exit ${code}`);
}
console.log(failures.length ? `${failures.length} check(s) failed` : "every check passed");
process.exit(failures.length ? 1 : 0);
