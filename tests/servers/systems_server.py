#!/usr/bin/env python3
"""A small catalogue service of wheeling systems for the systems tests.

It answers the three form posts of the program from a catalogue file (JSON: a list of systems,
each {"id", "nums", "olap", "title", "descr", "author", "cl_mail", "url", "created",
"downloads", "last_download", "clist"} and optionally "csize" to announce a count other than the
number of lines of "clist"). Saves and deletes change the file, so they last across requests and
restarts. Every request is logged as one line:
    <path>\t<form body as sent>\t<what was answered>

Routes (POST, application/x-www-form-urlencoded):
    scripts/sys_getlist.php   comblen=5&maxnums=69 -> <result><row>...</row>...</result>
    scripts/sys_getdata.php   sys_id=N -> <result><clist>lines</clist></result> (downloads + 1)
    scripts/sys_putdata.php   sys_id, nums, clen, olap, title, descr, csize, clist, url, author,
                              cl_mail, del_mode -> <result><id_systems>N</id_systems></result>;
                              only the owner (cl_mail, without regard to case) may change or delete
Options: --error TEXT answers every request with <error>TEXT</error>; --status N answers every
request with that HTTP status.
"""
import argparse
import datetime
import json
import os
import sys
import threading
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from xml.sax.saxutils import escape

ARGS = None
LOCK = threading.Lock()

FIELDS = ["id", "nums", "olap", "csize", "title", "descr", "author", "cl_mail", "url", "created",
          "downloads", "last_download"]


def load():
    if not os.path.exists(ARGS.catalogue):
        return []
    with open(ARGS.catalogue, encoding="utf-8") as f:
        return json.load(f)


def store(systems):
    tmp = ARGS.catalogue + ".tmp"
    with open(tmp, "w", encoding="utf-8") as f:
        json.dump(systems, f, ensure_ascii=False, indent=1)
    os.replace(tmp, ARGS.catalogue)


def lines_of(text):
    return [line for line in text.replace("\r\n", "\n").replace("\r", "\n").split("\n") if line.strip()]


def count_of(system):
    return system.get("csize", len(lines_of(system.get("clist", ""))))


def now_text():
    return datetime.datetime.now().strftime("%Y-%m-%d %H:%M:%S")


def element(name, value):
    return "<%s>%s</%s>" % (name, escape(str(value), {'"': "&quot;", "'": "&apos;"}), name)


def reply(inner):
    return ('<?xml version="1.0" encoding="UTF-8"?>\n<result>\n%s</result>\n' % inner).encode("utf-8")


def error(text):
    return ('<?xml version="1.0" encoding="UTF-8"?>\n%s\n' % element("error", text)).encode("utf-8")


def number(form, name, default=None):
    try:
        return int(form.get(name, ""))
    except ValueError:
        return default


def get_list(form):
    if number(form, "comblen") != 5 or number(form, "maxnums") != 69:
        return error("Неверные параметры списка"), "error params"
    systems = load()
    rows = []
    for s in systems:
        values = dict(s, csize=count_of(s))
        rows.append("<row>" + "".join(element(f, values.get(f, "")) for f in FIELDS) + "</row>\n")
    return reply("".join(rows)), "list %d" % len(rows)


def get_data(form):
    sys_id = number(form, "sys_id")
    systems = load()
    for s in systems:
        if s["id"] == sys_id:
            s["downloads"] = int(s.get("downloads", 0)) + 1
            s["last_download"] = now_text()
            store(systems)
            return reply(element("clist", s.get("clist", ""))), "data %d" % sys_id
    return error("Система #%s не найдена" % form.get("sys_id", "")), "error unknown"


def put_data(form):
    sys_id = number(form, "sys_id", -1)
    mail = form.get("cl_mail", "").strip()
    if not mail:
        return error("Не указан адрес владельца"), "error mail"
    systems = load()
    found = [s for s in systems if s["id"] == sys_id]
    if found and found[0].get("cl_mail", "").lower() != mail.lower():
        return error("Система принадлежит другому автору"), "error owner"
    if form.get("del_mode") == "1":
        if not found:
            return error("Система #%d не найдена" % sys_id), "error unknown"
        systems.remove(found[0])
        store(systems)
        return reply(element("id_systems", sys_id)), "deleted %d" % sys_id
    clist = form.get("clist", "")
    nums, olap, csize = number(form, "nums"), number(form, "olap"), number(form, "csize")
    if nums is None or not 6 <= nums <= 69 or olap is None or not 0 <= olap <= 4:
        return error("Неверные параметры системы"), "error params"
    if csize != len(lines_of(clist)):
        return error("Количество комбинаций не совпадает"), "error count"
    if found:
        s = found[0]
    else:
        s = {"id": max([x["id"] for x in systems] + [0]) + 1, "downloads": 0, "last_download": ""}
        systems.append(s)
    s.update({"nums": nums, "olap": olap, "title": form.get("title", ""), "descr": form.get("descr", ""),
              "author": form.get("author", ""), "cl_mail": mail, "url": form.get("url", ""),
              "created": now_text(), "clist": clist})
    s.pop("csize", None)
    store(systems)
    return reply(element("id_systems", s["id"])), "saved %d" % s["id"]


ROUTES = {"/scripts/sys_getlist.php": get_list, "/scripts/sys_getdata.php": get_data,
          "/scripts/sys_putdata.php": put_data}


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def answer(self, status, body, note, raw):
        with LOCK:
            with open(ARGS.log, "a", encoding="utf-8") as f:
                f.write("%s\t%s\t%s\n" % (self.path, raw, note))
        self.send_response(status)
        self.send_header("Content-Type", "text/xml; charset=utf-8")
        self.send_header("Content-Length", str(len(body)))
        self.send_header("Connection", "close")
        self.end_headers()
        self.wfile.write(body)

    def do_GET(self):
        self.answer(405, b"POST only", "405", "")

    def do_POST(self):
        length = int(self.headers.get("Content-Length", "0"))
        raw = self.rfile.read(length).decode("ascii", "replace")
        form = {k: v[0] for k, v in urllib.parse.parse_qs(raw, keep_blank_values=True, encoding="utf-8").items()}
        if ARGS.status:
            self.answer(ARGS.status, b"failure", "status %d" % ARGS.status, raw)
            return
        if ARGS.error:
            self.answer(200, error(ARGS.error), "error option", raw)
            return
        route = ROUTES.get(urllib.parse.urlsplit(self.path).path)
        if not route:
            self.answer(404, b"not found", "404", raw)
            return
        with LOCK:
            body, note = route(form)
        self.answer(200, body, note, raw)


def main():
    global ARGS
    p = argparse.ArgumentParser()
    p.add_argument("--port-file", required=True)
    p.add_argument("--log", required=True)
    p.add_argument("--catalogue", required=True, help="the catalogue file (JSON), created by the first save")
    p.add_argument("--error", help="answer every request with this error element")
    p.add_argument("--status", type=int, default=0, help="answer every request with this HTTP status")
    ARGS = p.parse_args()
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
