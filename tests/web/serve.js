// A static web server for the tests, on a free port, compressing as ordinary servers do; it
// counts the bytes it sends.
"use strict";
const fs = require("fs");
const http = require("http");
const path = require("path");
const zlib = require("zlib");

const Types = {
    ".html": "text/html", ".js": "text/javascript", ".css": "text/css", ".wasm": "application/wasm",
    ".data": "application/octet-stream", ".png": "image/png", ".webmanifest": "application/manifest+json",
};

function Serve(dir) {
    const root = path.resolve(dir);
    const server = http.createServer((request, response) => {
        const name = decodeURIComponent(new URL(request.url, "http://localhost").pathname);
        const file = path.join(root, name.endsWith("/") ? name + "index.html" : name);
        if (!file.startsWith(root + path.sep) || !fs.existsSync(file) || !fs.statSync(file).isFile()) {
            response.writeHead(404).end();
            return;
        }
        let body = fs.readFileSync(file);
        const headers = {"Content-Type": Types[path.extname(file)] || "application/octet-stream",
                         "Cache-Control": "no-cache"};
        if (/\bgzip\b/.test(request.headers["accept-encoding"] || "")) {
            body = zlib.gzipSync(body, {level: 9});
            headers["Content-Encoding"] = "gzip";
        }
        server.sent += body.length;
        response.writeHead(200, headers).end(body);
    });
    server.sent = 0;
    return new Promise((resolve) => server.listen(0, "127.0.0.1", () => resolve(server)));
}

module.exports = {Serve};
