// Runs the browser build's program in node, headless: node_run.js BUILD_DIR GAME_ARGS...
// The host's files appear under /host (an input script at /a/b.txt is /host/a/b.txt); the
// data is the build's own preloaded /data. The exit code is the game's.
"use strict";
const path = require("path");

const [buildDir, ...args] = process.argv.slice(2);
if (!buildDir) {
    console.error("usage: node_run.js BUILD_DIR GAME_ARGS...");
    process.exit(2);
}
// Anything that ends the run before the game has exited is a failure.
process.exitCode = 1;
globalThis.Module = {
    noInitialRun: true,
    locateFile: (file) => path.resolve(buildDir, file),
    preRun: [() => {
        const fs = globalThis.Module.FS;
        fs.mkdir("/host");
        fs.mount(fs.filesystems.NODEFS, {root: "/"}, "/host");
    }],
    onRuntimeInitialized: () => {
        try {
            globalThis.Module.callMain(args);
        } catch (error) {
            if (error !== "unwind" && !(error && error.name === "ExitStatus")) throw error;
        }
    },
    onExit: (code) => {
        process.exitCode = code;
    },
};
// Run as a plain script, as a page runs it, so that it finds the Module above.
globalThis.require = require;
globalThis.__dirname = path.resolve(buildDir);
const file = path.resolve(buildDir, "tarnvell.js");
require("vm").runInThisContext(require("fs").readFileSync(file, "utf8"), {filename: file});
