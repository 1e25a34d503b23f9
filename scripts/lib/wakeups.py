#!/usr/bin/env python3
"""Wake-ups of a process and its children over an idle stretch.

    wakeups.py PID SECONDS

Samples /proc every 50 ms. A thread's switches are its voluntary and involuntary
context switches; a wake-up is a burst of them: a sample in which the thread switched
after one in which it did not. Wine makes several switches of each wake-up (every call
to its server is one), so wake-ups are what an idle program costs, and switches how
much work each one does. Prints one line per thread that switched, named as the
kernel knows it (Wine gives its own threads names), then the process tree's totals:
    thread TID NAME switches N wakeups N
    total switches N wakeups N threads N
The tree's wake-ups count a sample once however many of its threads ran in it.
"""
import os
import sys
import time


def family(pid):
    """The pid and every process below it."""
    pids = [pid]
    try:
        with open(f"/proc/{pid}/task/{pid}/children") as children:
            for child in children.read().split():
                pids += family(int(child))
    except OSError:
        pass
    return pids


def threads(pids):
    """{tid: (name, switches)} of every thread of the processes."""
    seen = {}
    for pid in pids:
        try:
            tids = os.listdir(f"/proc/{pid}/task")
        except OSError:
            continue
        for tid in tids:
            try:
                with open(f"/proc/{pid}/task/{tid}/status") as status:
                    fields = dict(line.split(":", 1) for line in status if ":" in line)
                switches = int(fields["voluntary_ctxt_switches"]) + int(fields["nonvoluntary_ctxt_switches"])
                seen[int(tid)] = (fields["Name"].strip(), switches)
            except (OSError, KeyError, ValueError):
                continue
    return seen


def main():
    pid, seconds = int(sys.argv[1]), float(sys.argv[2])
    first = threads(family(pid))
    last = dict(first)
    names = {tid: name for tid, (name, _) in first.items()}
    switched = {}       # tid -> switches over the stretch
    wakeups = {}        # tid -> bursts
    was_running = set()
    tree_wakeups = 0
    tree_was_running = False
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        time.sleep(0.05)
        now = threads(family(pid))
        running = set()
        for tid, (name, switches) in now.items():
            names[tid] = name
            before = last[tid][1] if tid in last else 0  # a thread started meanwhile: all count
            if switches > before:
                running.add(tid)
                switched[tid] = switched.get(tid, 0) + switches - before
                if tid not in was_running:
                    wakeups[tid] = wakeups.get(tid, 0) + 1
        if running and not tree_was_running:
            tree_wakeups += 1
        tree_was_running = bool(running)
        was_running = running
        last = now
    for tid in sorted(switched):
        print(f"thread {tid} {names[tid]} switches {switched[tid]} wakeups {wakeups.get(tid, 0)}")
    print(f"total switches {sum(switched.values())} wakeups {tree_wakeups} threads {len(names)}")


if __name__ == "__main__":
    main()
