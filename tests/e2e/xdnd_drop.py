#!/usr/bin/python3
"""Drops files onto an X window as a Linux file manager would (the XDND
protocol, text/uri-list), so that Wine turns the drop into WM_DROPFILES.

    xdnd_drop.py <x-window-id> <root-x> <root-y> <file>...

Prints "dropped" when the target accepted and finished the drop, otherwise
"refused" or "timeout"; the exit code says the same."""
import sys
import time
import urllib.parse

from Xlib import X, display
from Xlib.protocol import event

XDND_VERSION = 5


def main():
    target_id, x, y = int(sys.argv[1], 0), int(sys.argv[2]), int(sys.argv[3])
    uris = "".join("file://" + urllib.parse.quote(p) + "\r\n" for p in sys.argv[4:]).encode()
    d = display.Display()
    atom = lambda name: d.intern_atom(name)
    enter, position, status, drop, finished = (atom(n) for n in (
        "XdndEnter", "XdndPosition", "XdndStatus", "XdndDrop", "XdndFinished"))
    selection, uri_list, copy = atom("XdndSelection"), atom("text/uri-list"), atom("XdndActionCopy")
    root = d.screen().root
    source = root.create_window(0, 0, 1, 1, 0, X.CopyFromParent)
    source.set_selection_owner(selection, X.CurrentTime)
    target = d.create_resource_object("window", target_id)

    def send(kind, data):
        message = event.ClientMessage(window=target, client_type=kind, data=(32, data + [0] * (5 - len(data))))
        target.send_event(message, event_mask=0)
        d.flush()

    def answer(request):
        # Wine reads the data as soon as the drag enters, before any drop.
        if request.target == uri_list:
            request.requestor.change_property(request.property, uri_list, 8, uris)
            prop = request.property
        else:
            prop = X.NONE
        reply = event.SelectionNotify(time=request.time, requestor=request.requestor, selection=request.selection,
                                      target=request.target, property=prop)
        request.requestor.send_event(reply, event_mask=0)
        d.flush()

    def wait_for(kind, seconds):
        end = time.time() + seconds
        while time.time() < end:
            while d.pending_events():
                e = d.next_event()
                if e.type == X.SelectionRequest:
                    answer(e)
                elif e.type == X.ClientMessage and e.client_type == kind:
                    return e
            time.sleep(0.01)
        return None

    send(enter, [source.id, XDND_VERSION << 24, uri_list])
    send(position, [source.id, 0, (x << 16) | y, X.CurrentTime, copy])
    reply = wait_for(status, 10)
    if reply is None:
        print("timeout")
        return 2
    if not reply.data[1][1] & 1:
        print("refused")
        return 1
    send(drop, [source.id, 0, X.CurrentTime])
    done = wait_for(finished, 10)
    print("dropped" if done is not None else "timeout")
    return 0 if done is not None else 2


sys.exit(main())
