"""The browser tests' session: a server started on a free port of the
loopback address and one headless Chromium driven by Selenium, shared by
the tests of a module, with what a user does on a page (type, run, wait)
and the page's photograph. Skips the module where chromium or chromedriver
is missing."""

import os
import shutil
import socket
import subprocess
import sys
import time
import urllib.request

import pytest
from selenium import webdriver
from selenium.webdriver.chrome.options import Options
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.support.ui import WebDriverWait

CHROMIUM = shutil.which("chromium") or shutil.which("chromium-browser")
CHROMEDRIVER = shutil.which("chromedriver")
if not CHROMIUM or not CHROMEDRIVER:
    pytest.skip("the browser tests need chromium and chromedriver (Debian: chromium "
                "chromium-driver); not installed here", allow_module_level=True)


FLAGS = ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
         "--disable-background-networking", "--disable-component-update", "--disable-sync",
         "--window-size=1280,1300"]

def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


@pytest.fixture(scope="module")
def server():
    port = free_port()
    process = subprocess.Popen([sys.executable, "-m", "kestral", "serve", "--port", str(port)],
                               stdout=subprocess.DEVNULL)
    url = f"http://127.0.0.1:{port}"
    try:
        deadline = time.monotonic() + 20
        while True:
            try:
                urllib.request.urlopen(url + "/analyse", timeout=1).read()
                break
            except OSError:
                if time.monotonic() > deadline or process.poll() is not None:
                    raise AssertionError("the server did not start")
                time.sleep(0.1)
        yield url
    finally:
        process.terminate()
        process.wait(timeout=10)


@pytest.fixture(scope="module")
def downloads(tmp_path_factory):
    return tmp_path_factory.mktemp("downloads")


@pytest.fixture(scope="module")
def browser(tmp_path_factory, downloads):
    options = Options()
    options.binary_location = CHROMIUM
    for flag in FLAGS:
        options.add_argument(flag)
    options.add_argument(f"--user-data-dir={tmp_path_factory.mktemp('chromium-profile')}")
    options.add_experimental_option("prefs", {"download.default_directory": str(downloads),
                                              "download.prompt_for_download": False})
    driver = webdriver.Chrome(service=Service(CHROMEDRIVER), options=options)
    driver.execute_cdp_cmd("Page.setDownloadBehavior",
                           {"behavior": "allow", "downloadPath": str(downloads)})
    try:
        yield driver
    finally:
        driver.quit()


@pytest.fixture(scope="module")
def screenshots(tmp_path_factory):
    folder = os.environ.get("KESTRAL_WEB_SCREENSHOTS")
    if folder:
        os.makedirs(folder, exist_ok=True)
        return folder
    return str(tmp_path_factory.mktemp("screenshots"))


def photograph(driver, path):
    """The whole page, however long, as one picture."""
    height = driver.execute_script("return document.documentElement.scrollHeight")
    driver.set_window_size(1280, max(800, height + 120))
    driver.execute_script("window.scrollTo(0, 0)")
    driver.save_screenshot(path)
    driver.set_window_size(1280, 1300)


def type_into(driver, selector, text):
    element = driver.find_element(By.CSS_SELECTOR, selector)
    element.clear()
    element.send_keys(str(text))


def field(name):
    return f'[data-field="{name}"]'


def run_and_wait(driver, seconds=30):
    driver.find_element(By.ID, "run").click()
    WebDriverWait(driver, seconds).until(
        lambda d: d.find_element(By.ID, "run").is_enabled()
        and not d.find_element(By.ID, "progress").is_displayed())
