// The served page in headless Chromium through its DevTools protocol: a desktop player with the
// mouse and keyboard, a phone player by touch alone, the sound's samples, and a start with the
// network cut. Also measures the download, the time to the first frame, fps and main-thread load.
//   node browser_test.js WEB_DIR [PICTURES_DIR]
"use strict";
const fs = require("fs");
const os = require("os");
const path = require("path");
const puppeteer = require("puppeteer-core");
const {Serve} = require("./serve.js");

const webDir = path.resolve(process.argv[2] || "build/web");
const picturesDir = process.argv[3] || fs.mkdtempSync(path.join(os.tmpdir(), "tarnvell-page-"));
let failures = 0;
function Check(condition, what) {
    console.log((condition ? "ok   " : "FAIL ") + what);
    if (!condition) failures += 1;
}

// The game's trace lines, from the page's console (?trace).
function CollectTrace(page) {
    const trace = [];
    page.on("console", (message) => {
        const text = message.text();
        if (text.startsWith("{\"pass\"")) trace.push(JSON.parse(text));
    });
    return trace;
}

async function WaitFor(what, test, seconds = 30) {
    const end = Date.now() + seconds * 1000;
    while (Date.now() < end) {
        if (await test()) return true;
        await new Promise((resolve) => setTimeout(resolve, 50));
    }
    Check(false, "in time: " + what);
    return false;
}

function LastState(trace) {
    return trace.length ? trace[trace.length - 1].state : -1;
}

// Page coordinates of a point of the game's 240 x 320 screen.
async function ScreenPoint(page, x, y) {
    const box = await page.evaluate(() => {
        const r = document.getElementById("canvas").getBoundingClientRect();
        return {left: r.left, top: r.top, width: r.width, height: r.height};
    });
    return {x: box.left + (x + 0.5) * box.width / 240, y: box.top + (y + 0.5) * box.height / 320};
}

async function OpenGame(page, url) {
    const trace = CollectTrace(page);
    const started = Date.now();
    await page.goto(url);
    await WaitFor("the page is ready", () => page.evaluate(() => window.tarnvellPage.ready), 60);
    const ready = Date.now() - started;
    return {trace, ready};
}

// Sound: every block the page hands to the audio output is kept for a look.
function WatchSound() {
    window.soundBlocks = {count: 0, bad: 0, peak: 0, sumSquares: 0, samples: 0, rate: 0};
    const Context = window.AudioContext || window.webkitAudioContext;
    const create = Context.prototype.createScriptProcessor;
    Context.prototype.createScriptProcessor = function (...args) {
        const node = create.apply(this, args);
        const context = this;
        // After the page's own handler has filled the block, look at every sample.
        const inspect = (event) => {
            const s = window.soundBlocks;
            s.rate = context.sampleRate;
            s.count += 1;
            for (let c = 0; c < event.outputBuffer.numberOfChannels; ++c) {
                for (const v of event.outputBuffer.getChannelData(c)) {
                    if (!Number.isFinite(v) || v < -1 || v > 1) s.bad += 1;
                    else s.peak = Math.max(s.peak, Math.abs(v)), s.sumSquares += v * v;
                    s.samples += 1;
                }
            }
        };
        let handler = null;
        Object.defineProperty(node, "onaudioprocess", {
            get: () => handler,
            set: (f) => {
                if (handler) node.removeEventListener("audioprocess", handler);
                node.removeEventListener("audioprocess", inspect);
                handler = f;
                if (f) node.addEventListener("audioprocess", f);
                node.addEventListener("audioprocess", inspect);
            },
        });
        return node;
    };
    // Frames the page draws, for the frame rate.
    window.framesDrawn = 0;
    const put = CanvasRenderingContext2D.prototype.putImageData;
    CanvasRenderingContext2D.prototype.putImageData = function (...args) {
        window.framesDrawn += 1;
        return put.apply(this, args);
    };
}

async function Picture(page, name) {
    const file = path.join(picturesDir, name + ".png");
    await page.screenshot({path: file});
    console.log("     picture: " + file);
}

// Desktop: mouse through the menus, then the keyboard in the race; sound; figures.
async function DesktopPlayer(browser, base, server) {
    const context = await browser.createBrowserContext();
    const page = await context.newPage();
    await page.setViewport({width: 1280, height: 800});
    await page.evaluateOnNewDocument(WatchSound);
    server.sent = 0;
    const navigationStart = Date.now();
    const {trace, ready} = await OpenGame(page, base + "index.html?trace&seed=5");
    const downloaded = server.sent;
    await Picture(page, "desktop-start");
    const start = await page.$("#start");
    const box = await start.boundingBox();
    const clickAt = Date.now();
    await page.mouse.click(box.x + box.width / 2, box.y + box.height / 2);
    await WaitFor("the first frame", () => page.evaluate(() => window.framesDrawn > 0), 20);
    const firstFrame = Date.now();
    Check(await WaitFor("the main menu", async () => LastState(trace) === 1, 30), "start: the main menu runs");
    await new Promise((resolve) => setTimeout(resolve, 1500));
    await Picture(page, "desktop-menu");

    // Frame rate and main-thread load over five seconds of the menu's flyover.
    const cdp = await page.createCDPSession();
    await cdp.send("Performance.enable");
    const metric = async () => Object.fromEntries(
        (await cdp.send("Performance.getMetrics")).metrics.map((m) => [m.name, m.value]));
    const before = await metric(), framesBefore = await page.evaluate(() => window.framesDrawn);
    const wallBefore = Date.now();
    await new Promise((resolve) => setTimeout(resolve, 5000));
    const after = await metric(), framesAfter = await page.evaluate(() => window.framesDrawn);
    const seconds = (Date.now() - wallBefore) / 1000;
    const fps = (framesAfter - framesBefore) / seconds;
    const load = (after.TaskDuration - before.TaskDuration) / seconds;
    const script = (after.ScriptDuration - before.ScriptDuration) / seconds;

    let point = await ScreenPoint(page, 100, 90); // PLAY GAME
    await page.mouse.click(point.x, point.y);
    Check(await WaitFor("the planet screen", async () => LastState(trace) === 3), "mouse: PLAY GAME opens the planet screen");
    await Picture(page, "desktop-planet");
    point = await ScreenPoint(page, 120, 230); // OK: planet, then track
    await new Promise((resolve) => setTimeout(resolve, 600));
    await page.mouse.click(point.x, point.y);
    await WaitFor("the track screen", async () => LastState(trace) === 4);
    await new Promise((resolve) => setTimeout(resolve, 600));
    await page.mouse.click(point.x, point.y);
    Check(await WaitFor("the race", async () => LastState(trace) === 6, 40), "mouse: OK, OK leads to the race");

    // Keyboard: Space accelerates, the left arrow banks left.
    const race = trace.length;
    await page.keyboard.down("Space");
    await page.keyboard.down("ArrowLeft");
    await new Promise((resolve) => setTimeout(resolve, 2500));
    await page.keyboard.up("ArrowLeft");
    await page.keyboard.up("Space");
    const player = trace.slice(race).map((line) => line.ships[0]);
    const fastest = Math.max(...player.map((s) => s.speed));
    // Banking left is a bank angle of 0-127 (256 units to the turn).
    const banked = Math.max(...player.map((s) => (s.bank < 128 ? s.bank : 0)));
    Check(fastest > 0, "keyboard: Space speeds the ship up (" + fastest.toFixed(1) + ")");
    Check(banked > 0, "keyboard: the left arrow banks it left (" + banked.toFixed(1) + ")");
    await Picture(page, "desktop-race");

    // The music has played since the start tap.
    const sound = await page.evaluate(() => window.soundBlocks);
    const rms = Math.sqrt(sound.sumSquares / Math.max(1, sound.samples - sound.bad));
    Check(sound.count > 10, "sound: the page's audio output runs (" + sound.count + " blocks at " + sound.rate + " Hz)");
    Check(sound.bad === 0, "sound: no NaN or out-of-range samples (" + sound.bad + " of " + sound.samples + ")");
    Check(sound.peak > 0.01 && sound.peak < 1 && rms > 0.002, "sound: audible (peak " +
          sound.peak.toFixed(3) + ", rms " + rms.toFixed(4) + ")");

    const figures = {
        downloadedBytes: downloaded, readyMs: ready, startToFirstFrameMs: firstFrame - clickAt,
        pageOpenToFirstFrameMs: ready + (firstFrame - clickAt), fps, mainThreadLoad: load,
        scriptLoad: script, measuredFrameRate: trace[trace.length - 1].frameRate,
    };
    void navigationStart;
    await context.close();
    return figures;
}

// Touch alone on an emulated phone, portrait: taps to a race, holds THRUST and the joypad's left.
async function PhonePlayer(browser, base) {
    const context = await browser.createBrowserContext();
    const page = await context.newPage();
    await page.emulate(puppeteer.KnownDevices["Pixel 5"]);
    const {trace} = await OpenGame(page, base + "index.html?trace&seed=5");
    const faceShown = await page.evaluate(() => !document.getElementById("pad").hidden);
    Check(faceShown, "phone: the joypad and A, B are shown");
    await Picture(page, "phone-portrait-start");
    const tapElement = async (selector) => {
        const box = await (await page.$(selector)).boundingBox();
        await page.touchscreen.tap(box.x + box.width / 2, box.y + box.height / 2);
    };
    const tapScreen = async (x, y) => {
        const p = await ScreenPoint(page, x, y);
        await page.touchscreen.tap(p.x, p.y);
    };
    await tapElement("#start");
    Check(await WaitFor("the main menu", async () => LastState(trace) === 1, 30), "touch: the start tap runs the game");
    await new Promise((resolve) => setTimeout(resolve, 800));
    await Picture(page, "phone-portrait-menu");
    await tapScreen(100, 90);
    Check(await WaitFor("the planet screen", async () => LastState(trace) === 3), "touch: PLAY GAME opens the planet screen");
    await new Promise((resolve) => setTimeout(resolve, 600));
    await tapScreen(120, 230);
    await WaitFor("the track screen", async () => LastState(trace) === 4);
    await new Promise((resolve) => setTimeout(resolve, 600));
    await tapScreen(120, 230);
    Check(await WaitFor("the race", async () => LastState(trace) === 6, 40), "touch: taps lead to the race");

    // Two fingers: one holds THRUST (the pad at the panel's bottom left), the other the
    // joypad's left.
    const cdp = await page.createCDPSession();
    const thrust = await ScreenPoint(page, 30, 300);
    const joypad = await (await page.$("#joypad")).boundingBox();
    const left = {x: joypad.x + joypad.width * 0.12, y: joypad.y + joypad.height / 2};
    const race = trace.length;
    await cdp.send("Input.dispatchTouchEvent", {type: "touchStart", touchPoints: [{x: thrust.x, y: thrust.y, id: 1}]});
    await cdp.send("Input.dispatchTouchEvent", {type: "touchStart", touchPoints: [
        {x: thrust.x, y: thrust.y, id: 1}, {x: left.x, y: left.y, id: 2}]});
    await new Promise((resolve) => setTimeout(resolve, 2500));
    await Picture(page, "phone-portrait-race");
    await cdp.send("Input.dispatchTouchEvent", {type: "touchEnd", touchPoints: [{x: thrust.x, y: thrust.y, id: 1}]});
    await cdp.send("Input.dispatchTouchEvent", {type: "touchEnd", touchPoints: []});
    const player = trace.slice(race).map((line) => line.ships[0]);
    const fastest = Math.max(...player.map((s) => s.speed));
    const headings = player.map((s) => s.heading);
    const banked = Math.max(...player.map((s) => (s.bank < 128 ? s.bank : 0)));
    Check(fastest > 0, "touch: holding THRUST speeds the ship up (" + fastest.toFixed(1) + ")");
    Check(banked > 0 && headings[headings.length - 1] !== headings[0],
          "touch: the joypad's left banks and turns it (bank " + banked.toFixed(1) + ")");

    // Landscape: the face beside the screen.
    await page.setViewport({width: 851, height: 393, isMobile: true, hasTouch: true, deviceScaleFactor: 2.75, isLandscape: true});
    await new Promise((resolve) => setTimeout(resolve, 500));
    const sides = await page.evaluate(() => {
        const r = (id) => document.getElementById(id).getBoundingClientRect();
        return {pad: r("pad").right, screen: r("screen-box").left, screenRight: r("screen-box").right, buttons: r("buttons").left};
    });
    Check(sides.pad <= sides.screen + 1 && sides.buttons >= sides.screenRight - 1,
          "landscape: the joypad left of the screen, A and B right of it");
    await Picture(page, "phone-landscape-race");
    await context.close();
}

// Offline: after one load, the page starts again with the server gone.
async function OfflineStart(browser, base, server) {
    const context = await browser.createBrowserContext();
    const page = await context.newPage();
    await OpenGame(page, base + "index.html");
    await WaitFor("the service worker", () => page.evaluate(async () =>
        !!(await navigator.serviceWorker.ready) && !!navigator.serviceWorker.controller), 30) ||
        await page.reload(); // the first load is not controlled until the worker claims it
    await WaitFor("the service worker controls the page", () =>
        page.evaluate(() => !!navigator.serviceWorker.controller), 30);
    await new Promise((resolve) => server.close(resolve));
    server.closeAllConnections && server.closeAllConnections();
    const {trace} = await OpenGame(page, base + "index.html?trace");
    const start = await page.$("#start");
    const box = await start.boundingBox();
    await page.mouse.click(box.x + box.width / 2, box.y + box.height / 2);
    Check(await WaitFor("the main menu offline", async () => LastState(trace) === 1, 30),
          "offline: the page starts again and the game runs with the server gone");
    await context.close();
}

async function Main() {
    const server = await Serve(webDir);
    const base = "http://127.0.0.1:" + server.address().port + "/";
    const browser = await puppeteer.launch({
        executablePath: process.env.CHROMIUM || "/usr/bin/chromium",
        headless: true,
        args: ["--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage"],
    });
    try {
        const figures = await DesktopPlayer(browser, base, server);
        await PhonePlayer(browser, base);
        await OfflineStart(browser, base, server);
        console.log("figures " + JSON.stringify(figures));
    } finally {
        await browser.close();
        server.close();
    }
    console.log(failures === 0 ? "browser_test: all passed" : "browser_test: " + failures + " failed");
    process.exit(failures === 0 ? 0 : 1);
}

Main().catch((error) => {
    console.error(error);
    process.exit(1);
});
