"""Starts `abacor serve` on a free port for a test and talks JSON to it."""
import json
import subprocess
import urllib.error
import urllib.request

# Local requests never go through a proxy.
_OPENER = urllib.request.build_opener(urllib.request.ProxyHandler({}))


class Server:
    def __init__(self, cli, *args):
        self.proc = subprocess.Popen([cli, "serve", "--port", "0", *args], stdout=subprocess.PIPE,
                                     stderr=subprocess.STDOUT, text=True)
        line = self.proc.stdout.readline()
        if "http://" not in line:
            self.proc.kill()
            raise RuntimeError("abacor serve did not start: " + line + self.proc.stdout.read())
        self.base = line.split()[2].rstrip("/")

    def close(self):
        self.proc.terminate()
        self.proc.wait(timeout=10)

    def request(self, method, path, body=None, raw=None):
        """(status, parsed JSON or text) of one request; body is sent as JSON, raw as bytes."""
        data = raw if raw is not None else (json.dumps(body).encode() if body is not None else b"")
        req = urllib.request.Request(self.base + path, data=data, method=method,
                                     headers={"Content-Type": "application/json"})
        try:
            with _OPENER.open(req, timeout=30) as resp:
                status, text, kind = resp.status, resp.read().decode(), resp.headers.get("Content-Type", "")
        except urllib.error.HTTPError as e:
            status, text, kind = e.code, e.read().decode(), e.headers.get("Content-Type", "")
        return status, (json.loads(text) if kind.startswith("application/json") and text else text)

    def session(self):
        status, body = self.request("POST", "/api/sessions", {})
        assert status == 200, body
        return body["session"]
