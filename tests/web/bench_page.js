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
        page.on("pageerror", (error) => console.log("page error: " + error.message));
        page.on("requestfailed", (request) => console.log("failed: " + request.url()));
        page.on("response", (response) => response.status() >= 400 && console.log(response.status() + " " + response.url()));
        await page.goto("http://127.0.0.1:" + server.address().port + "/bench.html");
        await page.waitForFunction(() => window.benchDone === true, {timeout: 60000});
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
