#!/usr/bin/env python3
"""A firmware server for the client's tests: HTTPS on 127.0.0.1, standard library only.

    fennic_test_server.py CERT KEY

Binds a free port and prints "PORT <n>" on standard output. Every request that arrives is printed
as one line "REQUEST <json>" ({"method", "path", "contentType", "body"}) before it is answered; a
connection that ends without a request (a failed TLS handshake, or closed by the client) is printed
as "NOREQUEST <reason>". The server ends when its standard input closes.

The answer is chosen by the query of the request's URL (the client posts to its address as it is
configured): ?answer=NAME[&size=N][&http=CODE]

    echo        {"status":true,"code":0,"error":"","cmd":<cmd>,"uuid":<uuid>} of the request
    exit        the echo with "cmd":"exit"
    otheruuid   the echo with another uuid
    nocode      the echo without "code" and "error"
    statusnull  the echo with "status":null
    emptyarray  []
    syntax      {"status":true} x        (garbage after the object, at offset 16)
    padded      the echo followed by spaces up to N bytes in all, with Content-Length
    huge        N bytes of "x", with Content-Length
    hugeclose   N bytes of "x" without Content-Length, ended by closing the connection
    hang        no answer; the connection is held until the server ends

http=CODE sends the answer with that HTTP status instead of 200.
"""

import http.server
import json
import ssl
import sys
import threading
import urllib.parse

_print_lock = threading.Lock()
_stopping = threading.Event()


def emit(line):
    with _print_lock:
        sys.stdout.write(line + "\n")
        sys.stdout.flush()


def echo_of(request_text):
    try:
        request = json.loads(request_text)
    except ValueError:
        request = {}
    if not isinstance(request, dict):
        request = {}
    return {"status": True, "code": 0, "error": "", "cmd": request.get("cmd"), "uuid": request.get("uuid")}


def compact(value):
    return json.dumps(value, separators=(",", ":")).encode("utf-8")


def answer_body(name, request_text, size):
    echo = echo_of(request_text)
    if name == "echo":
        return compact(echo), True
    if name == "exit":
        echo["cmd"] = "exit"
        return compact(echo), True
    if name == "otheruuid":
        echo["uuid"] = "{00000000-0000-4000-8000-000000000001}"
        return compact(echo), True
    if name == "nocode":
        del echo["code"]
        del echo["error"]
        return compact(echo), True
    if name == "statusnull":
        echo["status"] = None
        return compact(echo), True
    if name == "emptyarray":
        return b"[]", True
    if name == "syntax":
        return b'{"status":true} x', True
    if name == "padded":
        body = compact(echo)
        return body + b" " * max(0, size - len(body)), True
    if name == "huge":
        return b"x" * size, True
    if name == "hugeclose":
        return b"x" * size, False
    raise ValueError("unknown answer " + name)


class Handler(http.server.BaseHTTPRequestHandler):
    # HTTP/1.0: one request per connection, so a body without length ends with the connection.
    protocol_version = "HTTP/1.0"

    def log_message(self, format, *args):  # noqa: A002 - the base class's name
        pass

    def do_POST(self):
        length = int(self.headers.get("Content-Length") or 0)
        body = self.rfile.read(length).decode("utf-8", errors="replace")
        emit("REQUEST " + json.dumps({
            "method": self.command,
            "path": self.path,
            "contentType": self.headers.get("Content-Type"),
            "body": body,
        }))
        query = urllib.parse.parse_qs(urllib.parse.urlsplit(self.path).query)
        name = query.get("answer", ["echo"])[0]
        size = int(query.get("size", ["0"])[0])
        status = int(query.get("http", ["200"])[0])
        if name == "hang":
            _stopping.wait(120)
            return
        payload, with_length = answer_body(name, body, size)
        self.send_response(status)
        self.send_header("Content-Type", "application/json")
        if with_length:
            self.send_header("Content-Length", str(len(payload)))
        self.end_headers()
        try:
            # In pieces, so that a client that gives up early is seen as it happens.
            for start in range(0, len(payload), 65536):
                self.wfile.write(payload[start:start + 65536])
        except (BrokenPipeError, ConnectionResetError, ssl.SSLError):
            pass


class Server(http.server.ThreadingHTTPServer):
    daemon_threads = True

    def __init__(self, context):
        super().__init__(("127.0.0.1", 0), Handler)
        self.context = context

    def finish_request(self, request, client_address):
        # The handshake runs in the connection's own thread, so a failing one holds up nobody.
        try:
            tls = self.context.wrap_socket(request, server_side=True)
        except (ssl.SSLError, OSError) as error:
            emit("NOREQUEST handshake " + type(error).__name__)
            return
        try:
            handler = self.RequestHandlerClass(tls, client_address, self)
            if not getattr(handler, "raw_requestline", b""):
                emit("NOREQUEST closed")
        except (ssl.SSLError, OSError) as error:
            emit("NOREQUEST " + type(error).__name__)
        finally:
            tls.close()


def main():
    if len(sys.argv) != 3:
        sys.stderr.write(__doc__)
        return 2
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(sys.argv[1], sys.argv[2])
    server = Server(context)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    emit("PORT %d" % server.server_address[1])
    sys.stdin.read()  # until the test closes it
    _stopping.set()
    server.shutdown()
    return 0


if __name__ == "__main__":
    sys.exit(main())
