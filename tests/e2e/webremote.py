#!/usr/bin/python3
"""A phone's browser for the web remote's tests and benchmark: headless
Chromium at a phone's size, driven by one command a line on stdin, one
answer a line on stdout (the shell script keeps the scenario and its checks).

  open <url>                 loads the page; "ok"
  visible <css>              "1" when the element is shown, else "0"
  text <css>                 the element's text on one line
  click <css>                taps the element; "ok"
  click-text <css> <text>    taps the first such element whose text starts
                             with <text>; "ok", else "none"
  select <css> <value>       chooses that value of a <select>; "ok"
  drag <css> <value>         drags a slider's thumb with the pointer towards
                             <value>, holds it still for 1.5 s and lets go:
                             "<value when let go> <value 1.5 s before>"
  manifest                   Chromium's reading of the page's manifest:
                             "<errors> <icon sizes,...> <name>"
  type <css> <text>          replaces the field's text; "ok"
  wait-visible <css> <ms>    "ok" once shown, else "timeout"
  wait-hidden <css> <ms>     "ok" once not shown, else "timeout"
  enabled <css>              "1" when the control can be used, else "0"
  box <css>                  "<left> <top> <width> <height> <viewport height>"
  view <light|dark> <W>x<H>  shows the page in that scheme at that size; "ok"
  axe                        runs axe-core (a local copy, $KX_AXE) on the
                             page: "<violations> <rule:nodes>..." or "missing"
  wait-text <css> <ms> <text>  "ok" once the element shows that text, else
                             "timeout <what it shows>"
  watch <css>                notes the next change of the element's text and
                             marks the document (a reload drops the mark); "ok"
  changed <ms>               "<epoch ms> <reloaded 0|1> <text>" of the watched
                             change, "timeout" when none came
  relaunch <lang>            a new browser of that language, with this one's
                             cookies (its pairing), on the same page; "ok"
  shot <png>                 saves a picture of the page's top; "ok"
  url                        the page's address as the address bar shows it
  forget                     drops the cookies and stored data, as another
                             phone would come; "ok"
  quit
Run by Debian's /usr/bin/python3, which has the selenium module.
"""
import json
import os
import sys
import time

from selenium import webdriver
from selenium.common.exceptions import WebDriverException
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.actions.action_builder import ActionBuilder
from selenium.webdriver.common.actions.pointer_input import PointerInput
from selenium.webdriver.common.by import By
from selenium.webdriver.support.ui import Select

WIDTH, HEIGHT = 390, 844
AXE = os.environ.get("KX_AXE", "/usr/local/share/kolibrix-npm/node_modules/axe-core/axe.min.js")


def browser(lang):
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for arg in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage",
                f"--window-size={WIDTH},{HEIGHT}", f"--lang={lang}",
                # Nothing but the page's own server: no background services,
                # and no name resolves to anything but loopback.
                "--no-first-run", "--no-default-browser-check", "--disable-background-networking",
                "--disable-component-update", "--disable-sync", "--disable-default-apps",
                "--disable-domain-reliability", "--disable-client-side-phishing-detection",
                "--no-proxy-server", "--host-resolver-rules=MAP * ~NOTFOUND, EXCLUDE localhost, EXCLUDE 127.0.0.1"):
        options.add_argument(arg)
    options.add_experimental_option("prefs", {"intl.accept_languages": lang})
    options.add_experimental_option("mobileEmulation", {
        "deviceMetrics": {"width": WIDTH, "height": HEIGHT, "pixelRatio": 2, "touch": True}})
    return webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)


WATCH = """
const el = document.querySelector(arguments[0]);
window.kxMark = true;
window.kxChange = null;
new MutationObserver((list, observer) => {
  window.kxChange = [Date.now(), el.textContent];
  observer.disconnect();
}).observe(el, {childList: true, characterData: true, subtree: true});
"""


def until(ms, probe):
    end = time.monotonic() + ms / 1000
    while True:
        value = probe()
        if value or time.monotonic() >= end:
            return value
        time.sleep(0.02)


def one_line(text):
    return " ".join((text or "").split())


def relaunch(driver, lang):
    url, cookies = driver.current_url, driver.get_cookies()
    driver.quit()
    driver = browser(lang)
    driver.get(url)
    for cookie in cookies:
        driver.add_cookie(cookie)
    driver.get(url)
    return driver


def view(driver, scheme, size):
    width, height = (int(n) for n in size.split("x"))
    driver.execute_cdp_cmd("Emulation.setEmulatedMedia", {
        "features": [{"name": "prefers-color-scheme", "value": scheme}]})
    driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", {
        "width": width, "height": height, "deviceScaleFactor": 2, "mobile": True,
        "screenOrientation": {"type": "landscapePrimary" if width > height else "portraitPrimary",
                              "angle": 90 if width > height else 0}})


# Where the thumb of a range input sits for a value, in the viewport: the
# thumb's centre runs from half its width to the track's end minus that.
THUMB_AT = """
const [el, value] = arguments;
el.scrollIntoView({block: 'center'});
const r = el.getBoundingClientRect(), min = +el.min, max = +el.max, thumb = 16;
const f = max > min ? (value - min) / (max - min) : 0;
return [r.left + thumb / 2 + f * (r.width - thumb), r.top + r.height / 2];
"""


def drag(driver, element, target):
    value = lambda: float(element.get_attribute("value"))
    at = lambda v: [round(n) for n in driver.execute_script(THUMB_AT, element, v)]
    # The phone's emulation turns the pointer into a touch, as it does for taps.
    finger = PointerInput("mouse", "finger")
    actions = ActionBuilder(driver, mouse=finger)
    x, y = at(value())
    actions.pointer_action.move_to_location(x, y).pointer_down()
    # In steps, as a finger moves; then small corrections where rounding missed.
    tx, _ = at(target)
    for i in range(1, 6):
        actions.pointer_action.move_to_location(x + (tx - x) * i // 5, y)
    actions.perform()
    for _ in range(5):
        miss = target - value()
        if abs(miss) < 1.5:
            break
        per_px = (float(element.get_attribute("max")) - float(element.get_attribute("min"))) / element.size["width"]
        tx += round(miss / per_px) or (1 if miss > 0 else -1)
        actions = ActionBuilder(driver, mouse=finger)
        actions.pointer_action.move_to_location(tx, y)
        actions.perform()
    held = value()
    time.sleep(1.5)
    let_go = value()
    actions = ActionBuilder(driver, mouse=finger)
    actions.pointer_action.pointer_up()
    actions.perform()
    return f"{let_go:g} {held:g}"


def manifest(driver):
    answer = driver.execute_cdp_cmd("Page.getAppManifest", {})
    try:
        data = json.loads(answer.get("data") or "{}")
    except ValueError:
        data = {}
    sizes = ",".join(icon.get("sizes", "?") for icon in data.get("icons", []))
    return f"{len(answer.get('errors', []))} {sizes or '-'} {data.get('name', '')}"


AXE_RUN = """
const done = arguments[arguments.length - 1];
axe.run(document, {resultTypes: ['violations']})
  .then((r) => done(r.violations.map((v) => `${v.id}:${v.nodes.length}`)))
  .catch((e) => done([`error:${e}`]));
"""


def run(driver, words, rest):
    command = words[0]
    find = lambda css: driver.find_element(By.CSS_SELECTOR, css)
    if command == "open":
        driver.get(words[1])
        return "ok"
    if command == "visible":
        return "1" if driver.find_elements(By.CSS_SELECTOR, words[1]) and find(words[1]).is_displayed() else "0"
    if command == "text":
        return one_line(find(words[1]).text)
    if command == "click":
        element = find(words[1])
        driver.execute_script("arguments[0].scrollIntoView({block: 'center'})", element)
        element.click()
        return "ok"
    if command == "click-text":
        want = rest(2)
        for element in driver.find_elements(By.CSS_SELECTOR, words[1]):
            if one_line(element.text).startswith(want):
                driver.execute_script("arguments[0].scrollIntoView({block: 'center'})", element)
                element.click()
                return "ok"
        return "none"
    if command == "select":
        Select(find(words[1])).select_by_value(words[2])
        return "ok"
    if command == "drag":
        return drag(driver, find(words[1]), float(words[2]))
    if command == "manifest":
        return manifest(driver)
    if command == "type":
        element = find(words[1])
        element.clear()
        element.send_keys(rest(2))
        return "ok"
    if command == "wait-visible":
        shown = until(int(words[2]), lambda: driver.find_elements(By.CSS_SELECTOR, words[1]) and find(words[1]).is_displayed())
        return "ok" if shown else "timeout"
    if command == "wait-hidden":
        gone = until(int(words[2]), lambda: not (driver.find_elements(By.CSS_SELECTOR, words[1]) and find(words[1]).is_displayed()))
        return "ok" if gone else "timeout"
    if command == "enabled":
        return "1" if find(words[1]).is_enabled() else "0"
    if command == "box":
        box = driver.execute_script(
            "const r = arguments[0].getBoundingClientRect(); return [r.left, r.top, r.width, r.height, innerHeight]"
            ".map(Math.round)", find(words[1]))
        return " ".join(str(n) for n in box)
    if command == "view":
        view(driver, words[1], words[2])
        driver.execute_script("window.scrollTo(0, 0)")
        return "ok"
    if command == "axe":
        if not os.path.exists(AXE):
            return "missing " + AXE
        with open(AXE, encoding="utf-8") as f:
            driver.execute_script(f.read())
        driver.set_script_timeout(60)
        found = driver.execute_async_script(AXE_RUN)
        return f"{len(found)} {' '.join(found)}".strip()
    if command == "wait-text":
        want = one_line(rest(3))
        shows = lambda: " ".join(one_line(e.text) for e in driver.find_elements(By.CSS_SELECTOR, words[1])[:1])
        matched = until(int(words[2]), lambda: shows() == want)
        return "ok" if matched else "timeout " + shows()
    if command == "watch":
        driver.execute_script(WATCH, words[1])
        return "ok"
    if command == "changed":
        change = until(int(words[1]), lambda: driver.execute_script("return window.kxChange"))
        if not change:
            return "timeout"
        reloaded = driver.execute_script("return window.kxMark !== true")
        return f"{change[0]} {int(reloaded)} {one_line(change[1])}"
    if command == "url":
        return driver.current_url
    if command == "forget":
        driver.delete_all_cookies()
        driver.execute_script("localStorage.clear()")
        return "ok"
    if command == "shot":
        driver.execute_script("window.scrollTo(0, 0)")
        driver.save_screenshot(words[1])
        return "ok"
    return "unknown command"


def main():
    lang = sys.argv[1] if len(sys.argv) > 1 else "en"
    driver = browser(lang)
    print("ready", flush=True)
    try:
        for line in sys.stdin:
            words = line.split()
            if not words:
                continue
            if words[0] == "quit":
                break
            rest = lambda n: line.rstrip("\n").split(" ", n)[n] if len(line.split(" ")) > n else ""
            try:
                if words[0] == "relaunch":
                    driver = relaunch(driver, words[1])
                    answer = "ok"
                else:
                    answer = run(driver, words, rest)
            except WebDriverException as e:
                answer = "error " + one_line(e.msg or type(e).__name__)
            print(answer, flush=True)
    finally:
        driver.quit()


if __name__ == "__main__":
    main()
