// Runs the terrain view's speed test in headless Chromium and prints its figures.
//   node bench_page.js WEB_BUILD_DIR   (the folder holding tarnvell_terrain_bench.*)
"use strict";
const fs = require("fs");
const path = require("path");
const puppeteer = require("puppeteer-core");
const {Serve} = require("./serve.js");

async function Main() {
    const dir = path.resolve(process.argv[2] || "build/web-build");
    fs.copyFileSync(path.join(__dirname, "../../bench/browser/bench.html"), path.join(dir, "bench.html"));
    const server = await Serve(dir);
    const browser = await puppeteer.launch({
        executablePath: process.env.CHROMIUM || "/usr/bin/chromium",
        headless: true,
        args: ["--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage"],
    });
    let code = 1;
    try {
        const page = await browser.newPage();
        page.on("console", (message) => console.log(message.text()));
        await page.goto("http://127.0.0.1:" + server.address().port + "/bench.html");
        await page.waitForFunction(() => window.benchDone === true, {timeout: 120000});
        code = await page.evaluate(() => window.benchCode);
    } finally {
        await browser.close();
        server.close();
    }
    process.exit(code);
}

Main().catch((error) => {
    console.error(error);
    process.exit(1);
});
