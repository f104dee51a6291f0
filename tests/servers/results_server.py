#!/usr/bin/env python3
"""A small results-page server for the download tests.

It answers the operator's search page for a date range with an HTML table of the draws of a
CSV file (the program's own CSV form) in that range, newest first, and offers the odd answers
the download must survive. Every request is logged as one line:
    <path>?<query>\t<accept-encoding>\t<cookie>\t<user-agent>\t<what was answered>

Routes:
    /site/winningNumberSearch?...   results of fromDateIn..toDateIn (MM/DD/YYYY)
    /moved/...                      302 to the same request under /site/
    /static/NAME                    the file NAME of --pages, as it is
    /proxies                        the file of --proxies (one host:port per line)
    /hang                           reads the request and never answers (--hang: every request)
"""
import argparse
import datetime
import gzip
import os
import sys
import threading
import time
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

ARGS = None
LOG_LOCK = threading.Lock()
REQUESTS = {"count": 0}
SEARCHES = {"count": 0}


def parse_date(text):
    return datetime.datetime.strptime(text.strip(), "%m/%d/%Y").date()


def read_draws(path):
    """(date, numbers text) of every line number;"mm/dd/yyyy";n1;...;n5;extra."""
    rows = []
    with open(path, encoding="cp1251") as f:
        for line in f:
            fields = line.strip().split(";")
            if len(fields) != 8:
                continue
            date = parse_date(fields[1].strip('"'))
            nums = fields[2:7]
            text = " - ".join(nums) + " + " + fields[7]
            rows.append((date, text))
    return rows


def read_extra(path):
    """Extra rows: "mm/dd/yyyy<TAB>numbers text" per line (the date may be unreadable)."""
    rows = []
    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.rstrip("\r\n")
            if not line:
                continue
            date_text, _, numbers = line.partition("\t")
            try:
                date = parse_date(date_text)
            except ValueError:
                date = None
            rows.append((date, numbers, date_text))
    return rows


def results_page(rows):
    body = [
        "<!DOCTYPE html><html><head><title>Results</title></head><body>",
        '<section class="winningNumbersResults"><h2>Results</h2>',
        "<table><thead><tr><th>Date</th><th>Winning Numbers</th></tr></thead><tbody>",
    ]
    for date_text, numbers in rows:
        body.append("<tr><td><div>%s</div></td><td><div>%s</div></td></tr>\n" % (date_text, numbers))
    body.append("</tbody></table></section>")
    body.append('<footer id="footerMain"><p>footer</p></footer></body></html>')
    return "".join(body).encode("utf-8")


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, fmt, *args):  # quiet: the request log below is the record
        pass

    def log_request_line(self, answer):
        line = "\t".join([
            self.path,
            self.headers.get("Accept-Encoding", ""),
            self.headers.get("Cookie", ""),
            self.headers.get("User-Agent", ""),
            answer,
        ])
        with LOG_LOCK:
            REQUESTS["count"] += 1
            with open(ARGS.log, "a", encoding="utf-8") as f:
                f.write(line + "\n")

    def send_body(self, status, body, answer, content_type="text/html; charset=utf-8", extra_headers=()):
        """Logs the request (before answering, so that a client that has its answer finds it
        logged), then sends the body, gzip-encoded when the server runs with --gzip and the
        client accepts it."""
        encoding = ""
        if ARGS.gzip and "gzip" in self.headers.get("Accept-Encoding", ""):
            body = gzip.compress(body)
            encoding = "gzip"
        self.log_request_line(answer + (" " + encoding if encoding else ""))
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body)))
        if encoding:
            self.send_header("Content-Encoding", encoding)
        for k, v in extra_headers:
            self.send_header(k, v)
        self.send_header("Connection", "close")
        self.end_headers()
        self.wfile.write(body)

    def do_GET(self):
        url = urllib.parse.urlsplit(self.path)
        query = urllib.parse.parse_qs(url.query, keep_blank_values=True)
        if url.path == "/hang" or ARGS.hang:
            self.log_request_line("hang")
            time.sleep(3600)
            return
        if url.path.startswith("/moved/"):
            target = "/site/" + url.path[len("/moved/"):] + ("?" + url.query if url.query else "")
            self.log_request_line("redirect")
            self.send_response(302)
            self.send_header("Location", target)
            self.send_header("Content-Length", "0")
            self.send_header("Connection", "close")
            self.end_headers()
            return
        if url.path.startswith("/static/") and ARGS.pages:
            name = os.path.basename(url.path[len("/static/"):])
            path = os.path.join(ARGS.pages, name)
            if not os.path.isfile(path):
                self.send_body(404, b"not found", "404")
                return
            with open(path, "rb") as f:
                self.send_body(200, f.read(), "static " + name)
            return
        if url.path == "/proxies" and ARGS.proxies:
            with open(ARGS.proxies, "rb") as f:
                self.send_body(200, f.read(), "proxies", "text/plain")
            return
        if url.path == "/site/winningNumberSearch":
            with LOG_LOCK:
                SEARCHES["count"] += 1
                search = SEARCHES["count"]
            if ARGS.delay and search >= ARGS.slow_from:
                time.sleep(ARGS.delay)
            if search <= ARGS.fail_first:
                self.send_body(503, b"busy", "503")
                return
            try:
                first = parse_date(query["fromDateIn"][0])
                last = parse_date(query["toDateIn"][0])
            except (KeyError, ValueError):
                self.send_body(400, b"bad dates", "400")
                return
            rows = [(d.strftime("%m/%d/%Y"), n) for d, n in DRAWS if first <= d <= last]
            for d, n, text in EXTRA:
                if d is None or first <= d <= last:
                    rows.append((text, n))
            rows.sort(key=lambda r: r[0][6:10] + r[0][0:2] + r[0][3:5], reverse=True)
            headers = [("Set-Cookie", "visitor=tavlora-test; Path=/")]
            self.send_body(200, results_page(rows), "rows %d" % len(rows), extra_headers=headers)
            return
        self.send_body(404, b"not found", "404")


def main():
    global ARGS, DRAWS, EXTRA
    p = argparse.ArgumentParser()
    p.add_argument("--port-file", required=True)
    p.add_argument("--log", required=True)
    p.add_argument("--draws")
    p.add_argument("--extra")
    p.add_argument("--pages")
    p.add_argument("--proxies")
    p.add_argument("--gzip", action="store_true")
    p.add_argument("--delay", type=float, default=0.0)
    p.add_argument("--slow-from", type=int, default=1,
                   help="--delay applies from this results request on (1: every one)")
    p.add_argument("--fail-first", type=int, default=0,
                   help="the first N results requests are answered 503")
    p.add_argument("--hang", action="store_true", help="never answer any request")
    ARGS = p.parse_args()
    DRAWS = read_draws(ARGS.draws) if ARGS.draws else []
    EXTRA = read_extra(ARGS.extra) if ARGS.extra else []
    server = ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    tmp = ARGS.port_file + ".tmp"
    with open(tmp, "w") as f:
        f.write(str(server.server_address[1]))
    os.replace(tmp, ARGS.port_file)
    try:
        server.serve_forever(poll_interval=0.1)
    except KeyboardInterrupt:
        pass
    return 0


if __name__ == "__main__":
    sys.exit(main())
