// The game's page: loading with progress, the start tap, URL options, layout and the device face.
"use strict";

// Byte sizes of the two big downloads, written in by scripts/web (for the progress bar).
const DownloadSizes = {wasm: 0, data: 0};

const Screen = {width: 240, height: 320};
// The device face's keys, numbered as the game's TarnvellFaceKey takes them.
const FaceKey = {up: 0, down: 1, left: 2, right: 3, a: 4, b: 5};
// Options a page address may pass to the game: ?seed=5&autopilot&trace.
const UrlOptions = {seed: "value", fps: "value", display: "value", autopilot: "flag"};

const page = {
    panel: document.getElementById("panel"),
    message: document.getElementById("message"),
    progress: document.getElementById("progress"),
    progressBar: document.getElementById("progress-bar"),
    start: document.getElementById("start"),
    screenBox: document.getElementById("screen-box"),
    canvas: document.getElementById("canvas"),
    pad: document.getElementById("pad"),
    buttons: document.getElementById("buttons"),
    joypad: document.getElementById("joypad"),
};

// What the tests and the curious can read: when the page was ready and the game started.
window.tarnvellPage = {ready: false, started: false, ended: false, exitCode: null, readyAt: 0, startedAt: 0};

function ShowMessage(text, {progress = false, button = ""} = {}) {
    page.panel.hidden = false;
    page.message.textContent = text;
    page.progress.hidden = !progress;
    page.start.hidden = button === "";
    page.start.textContent = button;
}

// The arguments for the game's main, from the page's address.
function GameArguments(search) {
    const args = ["--data", "/data"];
    const query = new URLSearchParams(search);
    for (const [name, value] of query) {
        if (name === "trace") {
            args.push("--trace", "/dev/stdout"); // one console line a pass
        } else if (UrlOptions[name] === "flag") {
            args.push("--" + name);
        } else if (UrlOptions[name] === "value" && value !== "") {
            args.push("--" + name, value);
        }
    }
    return args;
}

// The screen as large as fits, keeping its shape; the face beside it in landscape and below
// it in portrait, on touch devices.
function Layout() {
    const width = window.innerWidth, height = window.innerHeight;
    const touch = document.body.classList.contains("touch");
    const landscape = width > height;
    let faceW = 0, faceH = 0;
    if (touch) {
        // Thumb-sized: about a third of the short side, between 110 and 190 CSS pixels.
        const pad = Math.max(110, Math.min(190, Math.min(width, height) * 0.36));
        document.documentElement.style.setProperty("--pad", pad + "px");
        if (landscape) faceW = pad * 1.15;
        else faceH = pad * 1.25;
    }
    const roomW = width - 2 * faceW, roomH = height - faceH;
    const scale = Math.max(0.25, Math.min(roomW / Screen.width, roomH / Screen.height));
    // Whole device pixels keep the scaled pixels even; fractions only where they must.
    const ratio = window.devicePixelRatio || 1;
    const devicePixels = Math.floor(scale * ratio * Screen.width) / Screen.width;
    const shown = (devicePixels >= 1 ? devicePixels : scale * ratio) / ratio;
    const screenW = Screen.width * shown, screenH = Screen.height * shown;
    const left = faceW + (roomW - screenW) / 2;
    const top = touch && !landscape ? Math.max(0, (roomH - screenH) / 2) : (height - screenH) / 2;
    Object.assign(page.screenBox.style, {
        left: left + "px", top: top + "px", width: screenW + "px", height: screenH + "px"});
    page.panel.style.fontSize = Math.max(11, Math.min(20, screenW / 16)) + "px";
    if (!touch) return;
    if (landscape) {
        Object.assign(page.pad.style, {left: "0", top: "0", width: faceW + "px", height: height + "px"});
        Object.assign(page.buttons.style, {
            left: width - faceW + "px", top: "0", width: faceW + "px", height: height + "px"});
    } else {
        const faceTop = top + screenH, faceHeight = height - faceTop;
        Object.assign(page.pad.style, {
            left: "0", top: faceTop + "px", width: width / 2 + "px", height: faceHeight + "px"});
        Object.assign(page.buttons.style, {
            left: width / 2 + "px", top: faceTop + "px", width: width / 2 + "px", height: faceHeight + "px"});
    }
}

// Presses reach the game only once it runs; a press held when it starts is sent then.
function SendFaceKey(key, down) {
    if (window.tarnvellPage.started && !window.tarnvellPage.ended && Module._TarnvellFaceKey)
        Module._TarnvellFaceKey(key, down ? 1 : 0);
}

// Each finger holds its own keys; a key is held while any finger holds it, so one thumb can
// keep A down while the other steers.
const held = new Map(); // pointer id -> Set of keys
const holders = new Map(); // key -> count of fingers
function SetFingerKeys(pointerId, keys) {
    const before = held.get(pointerId) || new Set();
    for (const key of before) {
        if (keys.has(key)) continue;
        const left = (holders.get(key) || 1) - 1;
        holders.set(key, left);
        if (left === 0) ShowHeld(key, false), SendFaceKey(key, false);
    }
    for (const key of keys) {
        if (before.has(key)) continue;
        const count = (holders.get(key) || 0) + 1;
        holders.set(key, count);
        if (count === 1) {
            ShowHeld(key, true), SendFaceKey(key, true);
            if (navigator.vibrate) navigator.vibrate(8);
        }
    }
    if (keys.size) held.set(pointerId, keys);
    else held.delete(pointerId);
}

function ShowHeld(key, on) {
    const names = ["up", "down", "left", "right"];
    if (key < 4) page.joypad.querySelector(".arrow." + names[key]).classList.toggle("held", on);
    else document.getElementById(key === FaceKey.a ? "button-a" : "button-b").classList.toggle("held", on);
}

// The joypad reads the thumb's direction from its centre: eight ways, with a small dead middle.
function JoypadKeys(event) {
    const box = page.joypad.getBoundingClientRect();
    const dx = event.clientX - (box.left + box.width / 2);
    const dy = event.clientY - (box.top + box.height / 2);
    const keys = new Set();
    const dead = box.width * 0.12;
    if (Math.hypot(dx, dy) < dead) return keys;
    const angle = Math.atan2(dy, dx) * 180 / Math.PI; // 0 right, 90 down
    if (angle > -67.5 && angle < 67.5) keys.add(FaceKey.right);
    if (angle > 112.5 || angle < -112.5) keys.add(FaceKey.left);
    if (angle > 22.5 && angle < 157.5) keys.add(FaceKey.down);
    if (angle < -22.5 && angle > -157.5) keys.add(FaceKey.up);
    return keys;
}

function ButtonKeys(event) {
    const target = document.elementFromPoint(event.clientX, event.clientY);
    const keys = new Set();
    if (target && target.id === "button-a") keys.add(FaceKey.a);
    if (target && target.id === "button-b") keys.add(FaceKey.b);
    return keys;
}

function WatchFace(element, keysOf) {
    const update = (event) => {
        event.preventDefault();
        SetFingerKeys(event.pointerId, keysOf(event));
    };
    const release = (event) => {
        event.preventDefault();
        SetFingerKeys(event.pointerId, new Set());
    };
    element.addEventListener("pointerdown", (event) => {
        element.setPointerCapture(event.pointerId);
        update(event);
    });
    element.addEventListener("pointermove", (event) => {
        if (held.has(event.pointerId) || event.buttons) update(event);
    });
    element.addEventListener("pointerup", release);
    element.addEventListener("pointercancel", release);
    element.addEventListener("lostpointercapture", release);
}

function IsTouchDevice() {
    return new URLSearchParams(location.search).has("face") ||
        (navigator.maxTouchPoints || 0) > 0 || window.matchMedia("(pointer: coarse)").matches;
}

// The download of the wasm and the data, as one bar.
const loaded = {wasm: 0, data: 0};
function ShowProgress() {
    const total = DownloadSizes.wasm + DownloadSizes.data;
    const fraction = total > 0 ? Math.min(1, (loaded.wasm + loaded.data) / total) : 0;
    page.progressBar.style.width = (fraction * 100).toFixed(1) + "%";
}

async function FetchWithProgress(url, part) {
    const response = await fetch(url);
    if (!response.ok) throw new Error(url + ": " + response.status);
    if (!response.body) return new Uint8Array(await response.arrayBuffer());
    const reader = response.body.getReader();
    const chunks = [];
    let size = 0;
    for (;;) {
        const {done, value} = await reader.read();
        if (done) break;
        chunks.push(value);
        size += value.length;
        // Compressed transfers report the unpacked bytes here, which the sizes are in.
        loaded[part] = size;
        ShowProgress();
    }
    const bytes = new Uint8Array(size);
    let at = 0;
    for (const chunk of chunks) bytes.set(chunk, at), at += chunk.length;
    return bytes;
}

function Fail(text) {
    window.tarnvellPage.ended = true;
    ShowMessage(text, {button: "Reload"});
    page.start.onclick = () => location.reload();
}

function StartGame() {
    if (window.tarnvellPage.started) return;
    window.tarnvellPage.started = true;
    window.tarnvellPage.startedAt = performance.now();
    page.panel.hidden = true;
    page.canvas.focus();
    try {
        Module.callMain(GameArguments(location.search));
    } catch (error) {
        // Asyncify unwinds main at its first pause: that is the game running on, not a fault.
        if (error !== "unwind" && !(error && error.name === "ExitStatus")) throw error;
    }
}

function GameEnded(code) {
    window.tarnvellPage.ended = true;
    window.tarnvellPage.exitCode = code;
    const text = code === 0 ? "The game has ended." : "The game stopped: " + lastError;
    ShowMessage(text, {button: "Play again"});
    page.start.onclick = () => location.reload();
}

let lastError = "";
var Module = {
    canvas: page.canvas,
    noInitialRun: true,
    print: (text) => console.log(text),
    printErr: (text) => {
        lastError = text.replace(/^tarnvell: /, "");
        console.error(text);
    },
    setStatus: (text) => {
        const match = /\((\d+)\/(\d+)\)/.exec(text);
        if (match) loaded.data = Number(match[1]), ShowProgress();
    },
    instantiateWasm: (imports, done) => {
        FetchWithProgress("tarnvell.wasm", "wasm")
            .then((bytes) => WebAssembly.instantiate(bytes, imports))
            .then((result) => done(result.instance, result.module))
            .catch((error) => Fail("The game could not be loaded (" + error.message + ")."));
        return {};
    },
    onRuntimeInitialized: () => {
        loaded.wasm = DownloadSizes.wasm, loaded.data = DownloadSizes.data, ShowProgress();
        window.tarnvellPage.ready = true;
        window.tarnvellPage.readyAt = performance.now();
        ShowMessage("", {button: "Tap or click to play"});
        page.message.hidden = true;
    },
    onExit: GameEnded,
    onAbort: (what) => Fail("The game stopped unexpectedly (" + what + ")."),
};

// A one-function module that makes a 128-bit vector: it validates only where the browser has
// WebAssembly SIMD, which the game's terrain view is built with.
const SimdProbe = new Uint8Array([0, 97, 115, 109, 1, 0, 0, 0, 1, 5, 1, 96, 0, 1, 123, 3, 2, 1, 0,
                                  10, 8, 1, 6, 0, 65, 0, 253, 15, 11]);

function Main() {
    if (typeof WebAssembly !== "object" || typeof WebAssembly.instantiate !== "function" ||
        !WebAssembly.validate(SimdProbe)) {
        Fail("This browser cannot run the game: it lacks WebAssembly with SIMD. " +
             "Any current Firefox, Chrome, Edge or Safari can.");
        page.start.hidden = true;
        return;
    }
    if (IsTouchDevice()) {
        document.body.classList.add("touch");
        page.pad.hidden = false;
        page.buttons.hidden = false;
        WatchFace(page.joypad, JoypadKeys);
        WatchFace(page.buttons, ButtonKeys);
    }
    Layout();
    window.addEventListener("resize", Layout);
    window.addEventListener("orientationchange", Layout);
    // The start tap is also the gesture that lets the page play sound.
    page.start.onclick = StartGame;
    page.panel.addEventListener("click", (event) => {
        if (event.target !== page.start && window.tarnvellPage.ready) StartGame();
    });
    // F11 is the page's full screen; the browser's own pinch, scroll and menu stay away.
    window.addEventListener("keydown", (event) => {
        if (event.key === "F11") {
            event.preventDefault();
            if (document.fullscreenElement) document.exitFullscreen();
            else document.documentElement.requestFullscreen().catch(() => {});
        }
    }, true);
    document.addEventListener("contextmenu", (event) => event.preventDefault());
    document.addEventListener("gesturestart", (event) => event.preventDefault());
    document.addEventListener("dblclick", (event) => event.preventDefault());

    if ("serviceWorker" in navigator && location.protocol !== "file:") {
        navigator.serviceWorker.register("sw.js", {updateViaCache: "none"}).catch(() => {});
    }
    ShowMessage("Loading…", {progress: true});
    const script = document.createElement("script");
    script.src = "tarnvell.js";
    script.onerror = () => Fail("The game could not be loaded: check the connection and reload.");
    document.body.appendChild(script);
}

Main();
