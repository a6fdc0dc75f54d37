"""Takes the README's picture of the chart page: the demo tools over the last 250 bars of the
sample, with a MACD pane and the crosshair.

usage: /usr/bin/python3 tests/web/screenshot.py build/host/abacor docs/serve.png
"""
import os
import shutil
import sys
import tempfile
import time

import browser_support
import serve_support

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))


def main(cli, out):
    server = serve_support.Server(cli)
    profile = tempfile.mkdtemp(prefix="abacor-chromium-")
    driver = browser_support.start_chromium(profile, 1400, 820)
    try:
        driver.get(server.base + "/")
        idle = "return window.abacorTest && abacorTest.idle() && abacorTest.drawn().length === 2"
        while not driver.execute_script(idle):
            time.sleep(0.05)
        with open(os.path.join(ROOT, "host/samples/demo-tools.json")) as f:
            driver.execute_script("abacorTest.setView(5300, 5549); return abacorTest.loadTools(arguments[0])", f.read())
        driver.find_element("id", "add-pane").click()
        time.sleep(0.5)
        while not driver.execute_script(idle.replace("=== 2", "=== 3")):
            time.sleep(0.05)
        driver.execute_script("abacorTest.hover(820, 260)")
        driver.save_screenshot(out)
    finally:
        driver.quit()
        server.close()
        shutil.rmtree(profile, ignore_errors=True)


if __name__ == "__main__":
    main(sys.argv[1], os.path.abspath(sys.argv[2]))
