// The browser build in Debian's headless Chromium, driven by puppeteer-core.
//
//   node web-tests.mjs --url http://127.0.0.1:PORT/ --brettspalt BIN --data DIR
//                      --config DIR --screens DIR [--chromium /usr/bin/chromium]
//
// same-pixels: the input script same-pixels.script runs in the page's
//   headless mode and in the desktop headless runner with rounding left at
//   nearest; every frame hash (main menu, high-score table, a street being
//   sawn, the pause menu) must be equal.
// play: the real page as a player meets it: the first menu frame, a click on
//   "Start game" and on the first street, keys held to saw a piece; the score
//   must rise, the canvas must show exactly the game's frame, nothing may be
//   logged as an error. Then a game with a short first street (a Config
//   folder in the page's storage) runs out of lives, a name is entered, and
//   after a reload the high score is still there (IndexedDB).
// Prints the page's load time and frame time for the README's budgets.
import { execFileSync } from "node:child_process";
import { mkdirSync, mkdtempSync, readdirSync, readFileSync, rmSync, writeFileSync } from "node:fs";
import { tmpdir } from "node:os";
import path from "node:path";
import { fileURLToPath } from "node:url";
import puppeteer from "puppeteer-core";

const here = path.dirname(fileURLToPath(import.meta.url));
const args = Object.fromEntries(
  process.argv.slice(2).reduce((pairs, arg, i, all) =>
    arg.startsWith("--") ? [...pairs, [arg.slice(2), all[i + 1]]] : pairs, []));
const baseUrl = args.url;
const screens = args.screens;
mkdirSync(screens, { recursive: true });

// Screen states of the game (game/GameGlobals.h).
const State = { Playing: 3, MainMenu: 6, HighScoreEntry: 7, HighScoreTable: 8,
  StartLevelSelect: 10, Paused: 11 };

const failures = [];
function check(condition, message) {
  if (!condition) failures.push(message);
  return condition;
}

async function launch(profile) {
  return puppeteer.launch({
    executablePath: args.chromium || "/usr/bin/chromium",
    headless: true,
    userDataDir: profile,
    args: ["--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
      "--disable-background-networking", "--disable-component-update", "--disable-sync",
      "--autoplay-policy=no-user-gesture-required", "--window-size=1000,760"],
    defaultViewport: { width: 1000, height: 760 },
  });
}

function watchConsole(page, errors) {
  page.on("console", (message) => {
    if (message.type() === "error") errors.push(message.text());
  });
  page.on("pageerror", (error) => errors.push(String(error)));
}

async function until(page, what, predicate, arg, timeout = 20000) {
  try {
    await page.waitForFunction(predicate, { timeout, polling: 50 }, arg);
    return true;
  } catch {
    failures.push(`timed out waiting for ${what}`);
    await page.screenshot({ path: path.join(screens, `timeout-${what.replace(/\W+/g, "-")}.png`) });
    return false;
  }
}

const waitForState = (page, state, timeout) =>
  until(page, `screen state ${state}`, (s) => window.brettspalt.screenState() === s, state,
    timeout);

// A point of the 800 x 600 frame on the page, through the canvas's scaling.
async function pagePoint(page, x, y) {
  return page.evaluate((fx, fy) => {
    const r = document.getElementById("screen").getBoundingClientRect();
    return { x: r.left + (fx + 0.5) * r.width / 800, y: r.top + (fy + 0.5) * r.height / 600 };
  }, x, y);
}

async function clickFrame(page, x, y) {
  const p = await pagePoint(page, x, y);
  await page.mouse.click(p.x, p.y, { delay: 80 });
}

async function tap(page, key, ms = 80) {
  await page.keyboard.down(key);
  await new Promise((r) => setTimeout(r, ms));
  await page.keyboard.up(key);
}

const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

// The canvas read back and hashed as the frame buffer is: 5 bits a channel
// put together again into 16-bit pixels, FNV-1a over them. Equal to the
// game's own hash only if every pixel reached the canvas unchanged.
async function canvasMatchesFrame(page) {
  return page.evaluate(() => {
    const canvas = document.getElementById("screen");
    const data = canvas.getContext("2d").getImageData(0, 0, 800, 600).data;
    let hash = 0xcbf29ce484222325n;
    const prime = 0x100000001b3n, mask = (1n << 64n) - 1n;
    for (let i = 0; i < data.length; i += 4) {
      const p = ((data[i] >> 3) << 10) | ((data[i + 1] >> 3) << 5) | (data[i + 2] >> 3);
      hash = ((hash ^ BigInt(p & 0xff)) * prime) & mask;
      hash = ((hash ^ BigInt(p >> 8)) * prime) & mask;
    }
    return { canvas: hash.toString(16).padStart(16, "0"), frame: window.brettspalt.frameHash() };
  });
}

// ---- same pixels -------------------------------------------------------------------

async function samePixels(browser) {
  const script = readFileSync(path.join(here, "same-pixels.script"), "utf8");
  const seed = 7;
  const home = mkdtempSync(path.join(tmpdir(), "brettspalt-same-pixels-"));
  let desktop, desktopMs;
  try {
    const t0 = performance.now();
    desktop = execFileSync(args.brettspalt, ["--headless", "--data", args.data, "--seed",
      String(seed), "--fp-round", "nearest", "--script", path.join(here, "same-pixels.script")],
    { cwd: home, env: { ...process.env, XDG_DATA_HOME: home }, encoding: "utf8" });
    desktopMs = performance.now() - t0;
  } finally {
    rmSync(home, { recursive: true, force: true });
  }
  const page = await browser.newPage();
  const errors = [];
  watchConsole(page, errors);
  const url = `${baseUrl}?seed=${seed}&script=` +
    encodeURIComponent("data:text/plain;charset=utf-8," + encodeURIComponent(script));
  await page.goto(url);
  if (!await until(page, "the headless report", () => window.brettspaltReport !== undefined,
    undefined, 60000)) return;
  const web = await page.evaluate(() => window.brettspaltReport);
  const webMs = await page.evaluate(() => window.brettspalt.headlessMs);
  await page.screenshot({ path: path.join(screens, "same-pixels-last-frame.png") });
  await page.close();

  const hashes = (text) => text.split("\n").filter((l) => /^(time|end) /.test(l));
  const d = hashes(desktop), w = hashes(web);
  check(d.length === 5, `the desktop run printed ${d.length} hash lines, 5 expected`);
  check(/status 0/.test(web), `the web run did not end normally: ${web}`);
  for (let i = 0; i < Math.max(d.length, w.length); ++i) {
    check(d[i] === w[i], `frame differs: desktop "${d[i]}", browser "${w[i]}"`);
  }
  check(errors.length === 0, `console errors in the headless page: ${errors.join(" | ")}`);
  const frames = Number((/frames (\d+)/.exec(desktop) || [0, 1])[1]);
  console.log(`same-pixels: ${w.length} frame hashes compared; the same run of ${frames} frames ` +
    `took ${desktopMs.toFixed(0)} ms native, ${webMs.toFixed(0)} ms in Chromium ` +
    `(${(webMs / desktopMs).toFixed(2)}x)`);
}

// ---- play ----------------------------------------------------------------------------

async function play(browser) {
  const page = await browser.newPage();
  const errors = [];
  watchConsole(page, errors);
  await page.goto(baseUrl);
  if (!await until(page, "the first frame", () => window.brettspalt?.firstFrameAt != null)) return;
  const loadMs = await page.evaluate(() => window.brettspalt.firstFrameAt);
  if (!await waitForState(page, State.MainMenu)) return;
  await sleep(1500);  // the title animation and the buttons settle
  await page.screenshot({ path: path.join(screens, "menu.png") });
  const menu = await canvasMatchesFrame(page);
  check(menu.canvas === menu.frame, "the canvas does not show the main menu's frame");

  // "Start game", then the first street, both with the mouse.
  await clickFrame(page, 573, 163);
  if (!await waitForState(page, State.StartLevelSelect)) return;
  await sleep(500);
  await clickFrame(page, 150, 136);
  if (!await waitForState(page, State.Playing)) return;
  await sleep(800);
  await page.screenshot({ path: path.join(screens, "street.png") });
  const before = await page.evaluate(() => window.brettspalt.score());

  const passesBefore = await page.evaluate(() => [window.brettspalt.passes, window.brettspalt.passMs]);

  // Turn to the dresser behind the player and saw it through.
  await tap(page, "ArrowLeft", 60);
  await sleep(400);
  await page.keyboard.down("Space");
  await sleep(6500);
  await page.keyboard.up("Space");
  await sleep(2500);  // the points fly to the score
  const after = await page.evaluate(() => window.brettspalt.score());
  const passesAfter = await page.evaluate(() => [window.brettspalt.passes, window.brettspalt.passMs]);
  const frameMs = (passesAfter[1] - passesBefore[1]) / Math.max(1, passesAfter[0] - passesBefore[0]);
  await page.screenshot({ path: path.join(screens, "sawn.png") });
  check(after > before, `the score did not rise while sawing (${before} -> ${after})`);
  const street = await canvasMatchesFrame(page);
  check(street.canvas === street.frame, "the canvas does not show the game's frame of the street");
  check(street.frame !== menu.frame, "the street looks like the menu");

  await tap(page, "Escape");
  if (!await waitForState(page, State.Paused)) return;
  await page.screenshot({ path: path.join(screens, "paused.png") });
  check(errors.length === 0, `console errors: ${errors.join(" | ")}`);

  // A game that ends soon, for a high score: a modder's Config folder in
  // the browser's storage, the shipped texts with a first street of 11
  // seconds. Three lives run out quickly; the $ sawn qualify.
  const config = {};
  for (const name of readdirSync(args.config).filter((n) => n.endsWith(".txt"))) {
    let text = readFileSync(path.join(args.config, name), "latin1");
    if (name === "Level01.txt") text = text.replace(/^#TIME .*$/m, "#TIME 11");
    config[name] = text;
  }
  await page.evaluate((files) => new Promise((resolve, reject) => {
    const FS = window.Module.FS;
    FS.mkdir("/save/Config");
    for (const [name, text] of Object.entries(files)) {
      FS.writeFile("/save/Config/" + name, Uint8Array.from(text, (c) => c.charCodeAt(0)));
    }
    FS.syncfs(false, (error) => (error ? reject(error) : resolve()));
  }), config);
  await page.reload();
  if (!await waitForState(page, State.MainMenu)) return;
  await sleep(1000);
  await clickFrame(page, 573, 163);
  if (!await waitForState(page, State.StartLevelSelect)) return;
  await sleep(500);
  await clickFrame(page, 150, 136);
  if (!await waitForState(page, State.Playing)) return;
  await sleep(300);
  await tap(page, "ArrowLeft", 60);
  await page.keyboard.down("Space");
  await sleep(6500);
  await page.keyboard.up("Space");
  if (!await waitForState(page, State.HighScoreEntry, 90000)) return;
  const score = await page.evaluate(() => window.brettspalt.score());
  await sleep(300);
  await page.keyboard.type("Sawyer", { delay: 120 });
  await sleep(200);
  await tap(page, "Enter");
  if (!await waitForState(page, State.HighScoreTable)) return;
  await until(page, "the save in IndexedDB", () => window.brettspalt.saves > 0);
  await sleep(800);
  await page.screenshot({ path: path.join(screens, "high-scores.png") });

  // After a reload the table comes back out of IndexedDB.
  await page.reload();
  if (!await waitForState(page, State.MainMenu)) return;
  const saved = await page.evaluate(() => {
    const bytes = window.Module.FS.readFile("/save/HiScore.dat");
    return String.fromCharCode(...bytes);
  });
  check(saved.includes("Sawyer"), "the high score entered before the reload is not in HiScore.dat");
  check(score > 10, `the game ended with $${score}, too little for the table`);
  await sleep(1000);
  await tap(page, "ArrowDown");
  await sleep(250);
  await tap(page, "ArrowDown");
  await sleep(250);
  await tap(page, "Enter");
  if (!await waitForState(page, State.HighScoreTable)) return;
  await sleep(800);
  await page.screenshot({ path: path.join(screens, "high-scores-after-reload.png") });
  const table = await canvasMatchesFrame(page);
  check(table.canvas === table.frame, "the canvas does not show the high-score table's frame");

  check(errors.length === 0, `console errors: ${errors.join(" | ")}`);
  await page.close();
  console.log(`play: page load to first menu frame ${loadMs.toFixed(0)} ms; ` +
    `${frameMs.toFixed(2)} ms of work per animation frame on the street; score ${before} -> ${after}; ` +
    `high score ${score}`);
}

// ---- bench: frame time, native headless against Chromium -----------------------

// The same street run twice as long in both builds; the difference of the
// times over the difference of the frames is the cost of a frame without
// start-up. Not part of the tests (timings are not verdicts): --only bench.
async function bench(browser) {
  const script = (quitAt) => [
    "1000 key Enter down", "+100 key Enter up", "2000 key Enter down", "+100 key Enter up",
    "4000 key Space down", `${quitAt} quit`].join("\n") + "\n";
  const runs = [8000, 128000];
  const native = [], web = [], frames = [];
  for (const quitAt of runs) {
    const home = mkdtempSync(path.join(tmpdir(), "brettspalt-bench-"));
    const file = path.join(home, "bench.script");
    writeFileSync(file, script(quitAt));
    let best = Infinity, out = "";
    for (let i = 0; i < 3; ++i) {
      const t0 = performance.now();
      out = execFileSync(args.brettspalt, ["--headless", "--data", args.data, "--seed", "7",
        "--fp-round", "nearest", "--script", file],
      { cwd: home, env: { ...process.env, XDG_DATA_HOME: home }, encoding: "utf8" });
      best = Math.min(best, performance.now() - t0);
    }
    rmSync(home, { recursive: true, force: true });
    native.push(best);
    frames.push(Number(/frames (\d+)/.exec(out)[1]));
    let webBest = Infinity;
    for (let i = 0; i < 3; ++i) {
      const page = await browser.newPage();
      await page.goto(`${baseUrl}?seed=7&script=` +
        encodeURIComponent("data:text/plain," + encodeURIComponent(script(quitAt))));
      await page.waitForFunction(() => window.brettspaltReport !== undefined, { timeout: 120000 });
      webBest = Math.min(webBest, await page.evaluate(() => window.brettspalt.headlessMs));
      await page.close();
    }
    web.push(webBest);
  }
  const n = frames[1] - frames[0];
  const nativeMs = (native[1] - native[0]) / n, webMs = (web[1] - web[0]) / n;
  console.log(`bench: ${n} frames of a street being sawn: native headless ${nativeMs.toFixed(3)} ` +
    `ms a frame, Chromium ${webMs.toFixed(3)} ms a frame (${(webMs / nativeMs).toFixed(2)}x); ` +
    `start-up and first ${frames[0]} frames ${native[0].toFixed(0)} / ${web[0].toFixed(0)} ms`);
}

// ---- main ------------------------------------------------------------------------

const profile = mkdtempSync(path.join(tmpdir(), "brettspalt-chromium-"));
const browser = await launch(profile);
try {
  const only = args.only;
  if (!only || only === "same-pixels") await samePixels(browser);
  if (!only || only === "play") await play(browser);
  if (only === "bench") await bench(browser);
} finally {
  await browser.close();
  rmSync(profile, { recursive: true, force: true });
}
if (failures.length > 0) {
  for (const f of failures) console.error(`FAIL: ${f}`);
  process.exit(1);
}
console.log("web tests passed");
