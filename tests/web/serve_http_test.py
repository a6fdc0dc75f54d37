"""abacor serve over plain HTTP: the page files, the JSON API, its error codes and limits,
and many clients at once."""
import sys
import threading
import unittest

import serve_support

CLI = None
VIEW = {"first": 5450, "last": 5549, "plot": {"left": 0, "top": 0, "width": 800, "height": 400}}


class ServeHttpTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.server = serve_support.Server(CLI)

    @classmethod
    def tearDownClass(cls):
        cls.server.close()

    def call(self, method, path, body=None, raw=None):
        return self.server.request(method, path, body, raw)

    def test_page_and_catalogue(self):
        status, page = self.call("GET", "/")
        self.assertEqual(status, 200)
        self.assertIn("<canvas", page)
        for name in ("/app.js", "/app.css"):
            self.assertEqual(self.call("GET", name)[0], 200, name)
        status, cat = self.call("GET", "/api/catalogue")
        self.assertEqual(len(cat["tools"]), 58)
        self.assertEqual(cat["tools"][0], {"type": 1, "name": "TARN_GRAPH_LINE_SEGMENT", "points": 2})
        status, bars = self.call("GET", "/api/bars")
        self.assertEqual(bars["count"], 5550)
        self.assertEqual(bars["date"][0], "1985-01-02")
        self.assertEqual(bars["close"][0], 3.08)

    def test_no_request_reaches_the_file_system(self):
        for path in ("/../etc/passwd", "/%2e%2e/%2e%2e/etc/passwd", "/etc/passwd", "/CMakeLists.txt",
                     "/api/../../etc/passwd", "/index.html/../../../etc/passwd"):
            status, body = self.call("GET", path)
            self.assertIn(status, (400, 404), path)
            self.assertNotIn("root:", str(body), path)

    def test_error_codes(self):
        sid = self.server.session()
        cases = [
            ("POST", f"/api/sessions/{sid}/render", None, b"{not json", 400, "not valid JSON"),
            ("POST", f"/api/sessions/{sid}/render", {"view": {"first": 9}}, None, 400, "view"),
            ("PUT", f"/api/sessions/{sid}/tools-file", None, b'{"tools": [{"type": 1, "points": [], "x": ' +
             b"[" * 100000 + b"]" * 100000 + b"}]}", 400, "nests deeper"),
            ("PUT", f"/api/sessions/{sid}/panes/0", {"formula": 12}, None, 400, "formula"),
            ("POST", f"/api/sessions/{sid}/tools", {"type": "no_such_tool"}, None, 400, "unknown tool type"),
            ("PUT", f"/api/sessions/{sid}/tools-file", {"tools": [{"type": 1}]}, None, 400, "entry 1"),
            ("POST", "/api/sessions/0123abcd/render", {"view": VIEW}, None, 404, "no session"),
            ("GET", f"/api/sessions/{sid}/tools/77", None, None, 404, "no tool 77"),
            ("POST", f"/api/sessions/{sid}/tools/77/click", {"view": VIEW, "x": 1, "y": 1}, None, 404, "no tool"),
            ("DELETE", f"/api/sessions/{sid}/panes/3", None, None, 404, "no pane 3"),
            ("GET", "/api/nothing", None, None, 404, "no such resource"),
            ("PUT", f"/api/sessions/{sid}/panes/0", {"formula": "X:" + "C+" * 9000 + "C;"}, None, 413, "at most"),
            ("POST", f"/api/sessions/{sid}/render", None, b" " * (300 * 1024), 413, "256 KiB"),
            ("PUT", f"/api/sessions/{sid}/panes/0", {"formula": "X:MA(CLOSE,5)+;"}, None, 422, ""),
        ]
        for method, path, body, raw, code, text in cases:
            status, reply = self.call(method, path, body, raw)
            self.assertEqual(status, code, (method, path, reply))
            self.assertIsInstance(reply, dict, path)
            self.assertIn(text, reply["error"], path)
        status, reply = self.call("PUT", f"/api/sessions/{sid}/panes/0", {"formula": "X:MA(CLOSE,5)+;"})
        self.assertEqual(reply["compile"]["line"], 1)
        self.assertEqual(reply["compile"]["offset"], reply["compile"]["column"] - 1)

    def test_tool_count_limit(self):
        sid = self.server.session()
        limit = self.call("GET", f"/api/sessions/{sid}")[1]["limits"]["tools"]
        for _ in range(limit):
            self.assertEqual(self.call("POST", f"/api/sessions/{sid}/tools", {"type": 1})[0], 200)
        status, reply = self.call("POST", f"/api/sessions/{sid}/tools", {"type": 1})
        self.assertEqual(status, 413)
        file = {"tools": [{"type": 1, "points": [[1, 1], [2, 2]]}] * (limit + 1)}
        self.assertEqual(self.call("PUT", f"/api/sessions/{sid}/tools-file", file)[0], 413)

    def test_many_pages_at_once(self):
        shared = self.server.session()
        self.assertEqual(self.call("PUT", f"/api/sessions/{shared}/panes/0", {"formula": "M:MA(CLOSE,5);"})[0], 200)
        failures = []
        renders = {}

        def own_page(k):
            sid = self.server.session()
            n = 3 + k
            status, _ = self.call("PUT", f"/api/sessions/{sid}/panes/0",
                                  {"formula": "M:MA(CLOSE,N);", "params": [{"name": "N", "value": n}]})
            status2, reply = self.call("POST", f"/api/sessions/{sid}/render", {"view": VIEW})
            if status != 200 or status2 != 200:
                failures.append((status, status2))
                return
            renders[n] = reply["panes"][0]["outputs"][0]["values"]

        def shared_page(k):
            for _ in range(5):
                status, _ = self.call("POST", f"/api/sessions/{shared}/tools", {"type": 1, "view": VIEW})
                status2, _ = self.call("POST", f"/api/sessions/{shared}/render", {"view": VIEW})
                if status != 200 or status2 != 200:
                    failures.append((status, status2))

        threads = [threading.Thread(target=own_page, args=(k,)) for k in range(6)]
        threads += [threading.Thread(target=shared_page, args=(k,)) for k in range(4)]
        for t in threads:
            t.start()
        for t in threads:
            t.join()
        self.assertEqual(failures, [])
        self.assertEqual(self.call("GET", f"/api/sessions/{shared}")[1]["tools"], 20)
        closes = self.call("GET", "/api/bars")[1]["close"]
        for n, values in renders.items():
            for k, v in enumerate(values):
                bar = VIEW["first"] + k
                self.assertAlmostEqual(v, sum(closes[bar - n + 1: bar + 1]) / n, places=9)


if __name__ == "__main__":
    CLI = sys.argv.pop(1)
    unittest.main()
