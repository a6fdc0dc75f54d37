"""The chart page in headless Chromium: formulas drawn, compile errors shown, a segment placed
with two clicks and dragged, Esc, zoom and scroll, tools saved and loaded back.

usage: browser_test.py ABACOR_CLI   (exit 77 when no browser is installed)
"""
import json
import math
import os
import shutil
import sys
import tempfile
import time
import unittest

import browser_support
import serve_support

CLI = None

try:
    from selenium import webdriver
    from selenium.webdriver.common.action_chains import ActionChains
    from selenium.webdriver.common.actions.action_builder import ActionBuilder
    from selenium.webdriver.common.by import By
    from selenium.webdriver.common.keys import Keys
except ImportError:
    webdriver = None


def wait_for(predicate, what, timeout=15):
    end = time.time() + timeout
    while time.time() < end:
        value = predicate()
        if value:
            return value
        time.sleep(0.05)
    raise AssertionError("timed out waiting for " + what)


class BrowserTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.server = serve_support.Server(CLI)
        cls.profile = tempfile.mkdtemp(prefix="abacor-chromium-")
        cls.driver = browser_support.start_chromium(cls.profile)
        cls.driver.get(cls.server.base + "/")
        wait_for(lambda: cls.js("return window.abacorTest && abacorTest.idle() && abacorTest.drawn().length === 2"),
                 "the page to start")

    @classmethod
    def tearDownClass(cls):
        cls.driver.quit()
        cls.server.close()
        shutil.rmtree(cls.profile, ignore_errors=True)

    @classmethod
    def js(cls, script, *args):
        return cls.driver.execute_script(script, *args)

    def settle(self):
        time.sleep(0.05)
        wait_for(lambda: self.js("return abacorTest.idle()"), "the page to finish its requests")

    def api(self, method, path, body=None):
        return self.server.request(method, "/api/sessions/" + self.js("return abacorTest.session()") + path, body)

    # Pointer input at canvas pixel (x, y).
    def pointer(self):
        return ActionBuilder(self.driver)

    def canvas_origin(self):
        r = self.js("const r = document.getElementById('chart').getBoundingClientRect(); return [r.left, r.top];")
        return r[0], r[1]

    def move(self, action, x, y):
        left, top = self.canvas_origin()
        action.pointer_action.move_to_location(int(left + x), int(top + y))

    def click_at(self, x, y):
        a = self.pointer()
        self.move(a, x, y)
        a.pointer_action.click()
        a.perform()
        self.settle()

    def drag(self, x0, y0, x1, y1):
        a = self.pointer()
        self.move(a, x0, y0)
        a.pointer_action.click_and_hold()
        a.perform()
        self.settle()
        for k in range(1, 5):
            b = self.pointer()
            self.move(b, x0 + (x1 - x0) * k / 4, y0 + (y1 - y0) * k / 4)
            b.perform()
            self.settle()
        c = self.pointer()
        c.pointer_action.release()
        c.perform()
        self.settle()

    def mapping(self):
        """bar(x) and price(y) of the price pane, as the page maps them."""
        v = self.js("return abacorTest.view()")
        res = self.js("return abacorTest.result()")
        p, lo, hi = v["plot"], res["panes"][0]["min"], res["panes"][0]["max"]
        bw = p["width"] / (v["last"] - v["first"] + 1)
        return (lambda x: (x - p["left"]) / bw - 0.5 + v["first"],
                lambda y: hi - (y - p["top"]) / p["height"] * (hi - lo), p)

    def set_formula(self, pane, text):
        area = self.driver.find_elements(By.CSS_SELECTOR, ".pane-editor .formula")[pane]
        area.send_keys(Keys.CONTROL, "a")
        area.send_keys(Keys.DELETE)
        area.send_keys(text)

    def test_1_page_draws_both_panes_and_offers_every_tool(self):
        buttons = self.driver.find_elements(By.CSS_SELECTOR, "#toolbar button")
        self.assertEqual(len(buttons), 58)
        drawn = self.js("return abacorTest.drawn()")
        self.assertGreater(drawn[0]["items"], 150)  # candles and two averages over 150 bars
        self.assertGreater(drawn[1]["items"], 150)  # volume columns and their average

    def test_2_a_typed_formula_is_drawn_as_its_line(self):
        self.set_formula(1, "X:MA(CLOSE,3);")
        wait_for(lambda: self.js("const r = abacorTest.result(); return r.panes[1].outputs.length === 1 && "
                                 "r.panes[1].outputs[0].name.toUpperCase() === 'X' && abacorTest.idle()"), "the new formula")
        res = self.js("return abacorTest.result()")
        drawn = self.js("return abacorTest.drawn()")[1]
        close = self.server.request("GET", "/api/bars")[1]["close"]
        first, last = res["first"], res["last"]
        pane = res["panes"][1]
        plot = self.js("return abacorTest.view()")["plot"]
        self.assertEqual(len(drawn["curves"]), 1)
        line = drawn["curves"][0]["points"]
        self.assertEqual(len(line), last - first + 1)
        # The pixel rows of the line are those of a plain 3-bar mean of the closes.
        rect = self.js("return abacorTest.layout()[1]")
        bw = plot["width"] / (last - first + 1)
        span = pane["max"] - pane["min"]
        for k in (0, 40, last - first):
            bar = first + k
            mean = math.fsum(close[bar - 2: bar + 1]) / 3
            x, y = line[k]
            self.assertAlmostEqual(x, plot["left"] + (k + 0.5) * bw, places=6)
            value = pane["max"] - (y - rect["top"]) / rect["height"] * span  # y grows downwards
            self.assertAlmostEqual(value, mean, delta=1e-6 * mean)
        # And the canvas really shows it: the pixel under a middle point is not background.
        x, y = line[(last - first) // 2]
        pixel = self.js("return Array.from(document.getElementById('chart').getContext('2d')"
                        ".getImageData(arguments[0] - 1, arguments[1] - 1, 3, 3).data)", int(x), int(y))
        self.assertTrue(any(pixel[i] > 60 for i in range(0, len(pixel), 4)), pixel)

    def test_3_a_mistake_is_shown_with_its_place(self):
        self.set_formula(1, "X:MA(CLOSE,3)+;")
        box = self.driver.find_elements(By.CSS_SELECTOR, ".pane-editor .compile-error")[1]
        wait_for(lambda: box.is_displayed(), "the compile error")
        message = box.find_element(By.CSS_SELECTOR, ".message").text
        status, reply = self.api("PUT", "/panes/1", {"formula": "X:MA(CLOSE,3)+;"})
        self.assertEqual(status, 422)
        c = reply["compile"]
        self.assertEqual(message, f"line {c['line']}, column {c['column']}: {reply['error']}")
        self.assertGreater(len(reply["error"]), 10)
        where = box.find_element(By.CSS_SELECTOR, ".where").text
        self.assertEqual(where, "X:MA(CLOSE,3)+;")
        mark = box.find_element(By.CSS_SELECTOR, "mark").text
        self.assertEqual(mark, "X:MA(CLOSE,3)+;"[c["offset"]])
        self.set_formula(1, "X:MA(CLOSE,3);")
        wait_for(lambda: not box.is_displayed(), "the error to go away")

    def test_4_a_segment_is_placed_dragged_and_esc_cancels(self):
        self.driver.find_element(By.CSS_SELECTOR, "#toolbar button[data-type='1']").click()
        self.settle()
        tool = self.js("return abacorTest.placing()")
        self.assertIsNotNone(tool)
        bar, price, plot = self.mapping()
        x0, y0 = plot["left"] + 200, plot["top"] + 300
        x1, y1 = plot["left"] + 600, plot["top"] + 100
        self.click_at(x0, y0)
        a = self.pointer()
        self.move(a, (x0 + x1) // 2, (y0 + y1) // 2)
        a.perform()
        self.settle()
        preview = self.api("GET", f"/tools/{tool}")[1]
        self.assertEqual(len(preview["points"]), 1)
        self.assertTrue(preview["drawings"], "the preview follows the mouse")
        self.click_at(x1, y1)
        self.assertIsNone(self.js("return abacorTest.placing()"))
        got = self.api("GET", f"/tools/{tool}")[1]
        self.assertTrue(got["complete"])
        for (b, p), (x, y) in zip(got["points"], ((x0, y0), (x1, y1))):
            self.assertAlmostEqual(b, bar(x), delta=1e-3)
            self.assertAlmostEqual(p, price(y), delta=1e-6 * abs(price(y)))
        # Drag the second point.
        x2, y2 = plot["left"] + 700, plot["top"] + 60
        self.drag(x1, y1, x2, y2)
        got = self.api("GET", f"/tools/{tool}")[1]
        self.assertAlmostEqual(got["points"][1][0], bar(x2), delta=1e-3)
        self.assertAlmostEqual(got["points"][1][1], price(y2), delta=1e-6 * abs(price(y2)))
        self.assertAlmostEqual(got["points"][0][0], bar(x0), delta=1e-3)
        # Drag the whole line by its middle.
        mx, my = (x0 + x2) // 2, (y0 + y2) // 2
        self.drag(mx, my, mx + 40, my)
        got = self.api("GET", f"/tools/{tool}")[1]
        self.assertAlmostEqual(got["points"][0][0], bar(x0 + 40), delta=1e-3)
        self.assertAlmostEqual(got["points"][1][0], bar(x2 + 40), delta=1e-3)
        # Esc cancels a placement half done.
        self.driver.find_element(By.CSS_SELECTOR, "#toolbar button[data-type='4']").click()
        self.settle()
        ray = self.js("return abacorTest.placing()")
        self.click_at(plot["left"] + 100, plot["top"] + 100)
        ActionChains(self.driver).send_keys(Keys.ESCAPE).perform()
        self.settle()
        self.assertIsNone(self.js("return abacorTest.placing()"))
        self.assertEqual(self.api("GET", f"/tools/{ray}")[0], 404)
        self.assertEqual(self.api("GET", "")[1]["tools"], 1)

    def test_5_tools_are_saved_and_loaded_back(self):
        before = self.api("GET", "/tools-file")[1]
        self.assertEqual(len(before["tools"]), 1)
        self.driver.find_element(By.ID, "save-tools").click()
        saved = wait_for(lambda: self.js("return abacorTest.lastSaved()"), "the saved file")
        self.assertEqual(json.loads(saved), before)
        # Select the segment by its point and delete it with the Delete key.
        bar, price, plot = self.mapping()
        view = self.js("return abacorTest.view()")
        b, p = before["tools"][0]["points"][0]
        res = self.js("return abacorTest.result()")
        bw = plot["width"] / (view["last"] - view["first"] + 1)
        x = plot["left"] + (b - view["first"] + 0.5) * bw
        y = plot["top"] + (res["panes"][0]["max"] - p) / (res["panes"][0]["max"] - res["panes"][0]["min"]) * plot["height"]
        self.click_at(round(x), round(y))
        self.assertIsNotNone(self.js("return abacorTest.selected()"))
        ActionChains(self.driver).send_keys(Keys.DELETE).perform()
        self.settle()
        self.assertEqual(self.api("GET", "")[1]["tools"], 0)
        path = os.path.join(self.profile, "tools.json")
        with open(path, "w") as f:
            f.write(saved)
        self.driver.find_element(By.ID, "load-tools").send_keys(path)
        wait_for(lambda: self.api("GET", "")[1]["tools"] == 1, "the loaded tools")
        self.settle()
        self.assertEqual(self.api("GET", "/tools-file")[1], before)
        self.assertEqual(len(self.js("return abacorTest.result().tools")), 1)

    def test_6_wheel_zooms_and_dragging_scrolls_incrementally(self):
        view = self.js("return abacorTest.view()")
        span = view["last"] - view["first"] + 1
        self.js("const c = document.getElementById('chart'); const r = c.getBoundingClientRect();"
                "c.dispatchEvent(new WheelEvent('wheel', {deltaY: 120, clientX: r.left + 400, clientY: r.top + 200,"
                " bubbles: true, cancelable: true}));")
        self.settle()
        zoomed = self.js("return abacorTest.view()")
        self.assertGreater(zoomed["last"] - zoomed["first"] + 1, span)
        # Scroll back in time by dragging the lower pane to the right, then forward again.
        lower = self.js("return abacorTest.layout()[1]")
        y = lower["top"] + lower["height"] // 2
        self.drag(300, y, 700, y)
        back = self.js("return abacorTest.view()")
        self.assertLess(back["first"], zoomed["first"])
        self.assertEqual(self.js("return abacorTest.result().computed"), [0, 0])  # already calculated
        self.drag(700, y, 300, y)
        self.assertEqual(self.js("return abacorTest.view()")["first"], zoomed["first"])

    def test_7_every_record_kind_is_drawn(self):
        self.js("abacorTest.setView(5450, 5549)")
        self.settle()
        self.set_formula(1, "M:MA(CLOSE,10);A:MA(CLOSE,3),CIRCLEDOT;B:MA(CLOSE,5),CROSSDOT;DRAWTEXT(CLOSE>OPEN,HIGH,'up');"
                            "DRAWICON(CLOSE<OPEN,LOW,1);STICKLINE(CLOSE>OPEN,OPEN,CLOSE,0.6,0);")
        wait_for(lambda: self.js("const r = abacorTest.result(); return r.panes[1].drawings.length === 6 "
                                 "&& abacorTest.idle()"), "the drawing formula")
        tools = {"tools": [{"type": "arc_bottom", "points": [[5460, 45], [5540, 45], [5500, 40]]}]}
        self.js("return abacorTest.loadTools(arguments[0])", json.dumps(tools))
        self.settle()
        drawn = self.js("return abacorTest.drawn()")
        kinds = {int(k) for k, n in drawn[1]["kinds"].items() if n > 0}
        self.assertEqual(kinds, {1, 3, 4, 5, 6, 7})  # curves, sticks, circles, crosses, texts, icons
        self.assertIn("up", [t.lower() for t in drawn[1]["texts"]])
        tool_kinds = {int(k) for t in drawn[0]["tools"] for k, n in t["kinds"].items() if n > 0}
        self.assertIn(2, tool_kinds)  # the arc is a Bezier curve

    def test_8_a_parameter_control_recalculates(self):
        closes = self.server.request("GET", "/api/bars")[1]["close"]
        self.js("const r = document.querySelector('.param-controls input[data-param=N]');"
                "r.value = 10; r.dispatchEvent(new Event('input'));")
        last = self.js("return abacorTest.view().last")

        def ma20_is_ma10():
            if not self.js("return abacorTest.idle()"):
                return False
            out = self.js("return abacorTest.result().panes[0].outputs.find((o) => o.name === 'ma20')")
            first = self.js("return abacorTest.result().first")
            want = math.fsum(closes[last - 9: last + 1]) / 10
            return abs(out["values"][last - first] - want) < 1e-9 * want

        wait_for(ma20_is_ma10, "the average over the new parameter")
        self.assertEqual(self.api("GET", "")[1]["panes"][0]["params"], [{"name": "N", "value": 10.0}])


if __name__ == "__main__":
    CLI = sys.argv.pop(1)
    if webdriver is None or not os.path.exists(browser_support.CHROMIUM) or not os.path.exists(browser_support.DRIVER):
        print("skipped: python3-selenium, chromium and chromium-driver are needed")
        sys.exit(77)
    unittest.main()
