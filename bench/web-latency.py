#!/usr/bin/python3
"""The web remote's latencies against a running Kolibrix (started by
web-latency.sh), each change seen when its event arrives on the event stream:

  pair <base> <ticket>               pairs with the pairing window's ticket; prints the token
  run <base> <token> <kxctl> <win>   measures and prints the figures:
    - tap to player: POST /api/action (Volume =N) to the player's new volume
      on the event stream, beside the hot-key path (Ctrl+Alt+Down/Up pressed
      with xdotool on the player's window <win>) to the same;
    - change to page: the volume set over COM (kxctl player-volume, which
      prints the wall clock just before its call) to the event on the stream
      and to the figure changing on the page in headless Chromium.
Loopback only; every wait is bounded.
"""
import http.client
import json
import os
import queue
import subprocess
import sys
import threading
import time
from urllib.parse import urlsplit

SAMPLES = int(os.environ.get("SAMPLES", "30"))
COM_SAMPLES = int(os.environ.get("COM_SAMPLES", "15"))


def request(base, method, path, body=None, token=None):
    url = urlsplit(base)
    connection = http.client.HTTPConnection(url.hostname, url.port, timeout=10)
    headers = {"Origin": f"{url.scheme}://{url.netloc}", "Content-Type": "application/json"}
    if token:
        headers["Authorization"] = f"Bearer {token}"
    connection.request(method, path, body=json.dumps(body) if body is not None else None, headers=headers)
    response = connection.getresponse()
    data = response.read()
    connection.close()
    return response.status, data


class Stream:
    """The event stream, read on a thread of its own: (arrival, state) pairs."""

    def __init__(self, base, token):
        url = urlsplit(base)
        self.connection = http.client.HTTPConnection(url.hostname, url.port, timeout=30)
        self.connection.request("GET", "/api/events", headers={
            "Authorization": f"Bearer {token}", "Origin": f"{url.scheme}://{url.netloc}",
            "Accept": "text/event-stream"})
        self.response = self.connection.getresponse()
        if self.response.status != 200:
            raise SystemExit(f"web-latency: the event stream answered {self.response.status}")
        self.events = queue.Queue()
        threading.Thread(target=self.read, daemon=True).start()

    def read(self):
        kind, data = None, []
        try:
            for raw in self.response:
                line = raw.decode("utf-8").rstrip("\r\n")
                if line.startswith("event:"):
                    kind = line[6:].strip()
                elif line.startswith("data:"):
                    data.append(line[5:].lstrip())
                elif not line:
                    if kind == "state" and data:
                        self.events.put((time.time(), json.loads("\n".join(data))))
                    kind, data = None, []
        except (OSError, ValueError):
            pass

    def drain(self):
        state = None
        while True:
            try:
                state = self.events.get_nowait()[1]
            except queue.Empty:
                return state

    def until(self, predicate, seconds=10):
        end = time.monotonic() + seconds
        while time.monotonic() < end:
            try:
                arrival, state = self.events.get(timeout=max(0.01, end - time.monotonic()))
            except queue.Empty:
                break
            if predicate(state):
                return arrival
        return None


def percentiles(values):
    ordered = sorted(values)
    pick = lambda p: ordered[min(len(ordered) - 1, max(0, int(round(p / 100 * len(ordered) + 0.5)) - 1))]
    return pick(50), pick(95)


def report(name, values, wanted):
    if not values:
        print(f"{name:<48} no samples")
        return
    p50, p95 = percentiles(values)
    missing = f", {wanted - len(values)} lost" if len(values) < wanted else ""
    print(f"{name:<48} p50 {p50 * 1000:6.1f} ms   p95 {p95 * 1000:6.1f} ms   (n={len(values)}{missing})")


def volume_is(volume):
    return lambda state: state.get("volume") == volume


def tap_samples(base, token, stream):
    taken = []
    request(base, "POST", "/api/action", {"action": "Volume", "params": ["=50"]}, token)
    stream.until(volume_is(50))
    for i in range(SAMPLES):
        volume = 45 if i % 2 == 0 else 50
        stream.drain()
        sent = time.time()
        status, _ = request(base, "POST", "/api/action", {"action": "Volume", "params": [f"={volume}"]}, token)
        arrival = stream.until(volume_is(volume)) if status == 202 else None
        if arrival:
            taken.append(arrival - sent)
        time.sleep(0.1)
    return taken


def key_samples(base, token, window, stream):
    taken = []
    subprocess.run(["xdotool", "windowfocus", "--sync", window], timeout=10, check=False)
    status, body = request(base, "GET", "/api/state", token=token)
    volume = json.loads(body)["volume"] if status == 200 else 50
    for i in range(SAMPLES):
        key, volume = ("ctrl+alt+Down", volume - 5) if i % 2 == 0 else ("ctrl+alt+Up", volume + 5)
        stream.drain()
        pressed = time.time()
        subprocess.run(["xdotool", "key", key], timeout=10, check=False)
        arrival = stream.until(volume_is(volume))
        if arrival:
            taken.append(arrival - pressed)
        time.sleep(0.1)
    return taken


def page(base, token):
    sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
    import webremote

    driver = webremote.browser("en")
    driver.get(base)
    driver.add_cookie({"name": "kx_token", "value": token, "path": "/", "httpOnly": True, "sameSite": "Strict"})
    driver.get(base)
    webremote.until(10000, lambda: driver.execute_script("return !document.getElementById('remote').hidden"))
    return driver


def com_samples(base, token, kxctl, stream):
    on_stream, on_page = [], []
    driver = page(base, token)
    try:
        for i in range(COM_SAMPLES):
            volume = 35 if i % 2 == 0 else 40
            stream.drain()
            driver.execute_script(
                "window.kxChange = null; const el = document.getElementById('volume-value');"
                "new MutationObserver((l, o) => { window.kxChange = [Date.now(), el.textContent]; o.disconnect(); })"
                ".observe(el, {childList: true, characterData: true, subtree: true});")
            out = subprocess.run(kxctl + ["player-volume", str(volume)], capture_output=True, text=True, timeout=60).stdout
            at = [line.split()[1] for line in out.splitlines() if line.startswith("at ")]
            if not at:
                continue
            changed = float(at[0]) / 1000
            arrival = stream.until(volume_is(volume))
            if arrival:
                on_stream.append(arrival - changed)
            shown = webremote_change(driver)
            if shown and shown[1].strip() == str(volume):
                on_page.append(shown[0] / 1000 - changed)
    finally:
        driver.quit()
    return on_stream, on_page


def webremote_change(driver):
    end = time.monotonic() + 5
    while time.monotonic() < end:
        change = driver.execute_script("return window.kxChange")
        if change:
            return change
        time.sleep(0.02)
    return None


def main():
    command, base = sys.argv[1], sys.argv[2].rstrip("/")
    if command == "pair":
        status, body = request(base, "POST", "/api/pair", {"ticket": sys.argv[3], "name": "web-latency bench"})
        if status != 200:
            return 1
        print(json.loads(body)["token"])
        return 0
    token, kxctl, window = sys.argv[3], sys.argv[4].split(), sys.argv[5]
    stream = Stream(base, token)
    if not stream.until(lambda state: True):
        raise SystemExit("web-latency: no state on the event stream")
    taps = tap_samples(base, token, stream)
    keys = key_samples(base, token, window, stream)
    on_stream, on_page = com_samples(base, token, kxctl, stream)
    print("web remote latency (wall clock, each change seen when its event arrives):")
    report("tap (POST Volume =N) -> player, on stream", taps, SAMPLES)
    report("hot key (Ctrl+Alt+Down/Up) -> player, on stream", keys, SAMPLES)
    report("player change over COM -> event stream", on_stream, COM_SAMPLES)
    report("player change over COM -> page (Chromium)", on_page, COM_SAMPLES)
    return 0


if __name__ == "__main__":
    sys.exit(main())
