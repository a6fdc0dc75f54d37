"""Headless Chromium for the page tests: Debian's chromium and chromedriver through selenium."""
import shutil

CHROMIUM = shutil.which("chromium") or "/usr/bin/chromium"
DRIVER = shutil.which("chromedriver") or "/usr/bin/chromedriver"
FLAGS = ("--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
         "--disable-background-networking", "--disable-component-update", "--disable-sync",
         "--no-proxy-server", "--force-device-scale-factor=1")


def start_chromium(profile, width=1400, height=860):
    """A driver for a fresh headless browser whose profile lives in `profile`."""
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service
    opts = webdriver.ChromeOptions()
    opts.binary_location = CHROMIUM
    for flag in FLAGS + (f"--window-size={width},{height}", "--user-data-dir=" + profile):
        opts.add_argument(flag)
    return webdriver.Chrome(service=Service(DRIVER), options=opts)
