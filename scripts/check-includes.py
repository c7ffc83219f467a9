#!/usr/bin/env python3
"""Checks the include graph of the program: no circle among files (a .h and its .cpp are one unit) and no include
from a lower room into a higher one. Prints what it finds; exits 1 on any fault. Run from anywhere in the tree."""
import os, re, subprocess, sys

# Floor by floor, bottom first; a room may include its own floor and those below.
FLOORS = [["text", "base", "res"], ["settings"], ["lang", "toolkit/window", "toolkit/draw"], ["toolkit/theme"],
          ["toolkit/controls"], ["ui"], ["lock"], ["app"]]
FLOOR = {room: level for level, rooms in enumerate(FLOORS) for room in rooms}


def room_of(path):
    folder = os.path.dirname(path)
    return folder if folder in FLOOR else None


def include_graph(root):
    listed = subprocess.run(["git", "-C", root, "ls-files", "*.cpp", "*.h"], capture_output=True, text=True).stdout
    edges, upward = {}, []
    for path in listed.split():
        here = room_of(path)
        if here is None:
            continue
        with open(os.path.join(root, path), encoding="utf-8", errors="replace") as source:
            text = source.read()
        for included in re.findall(r'^\s*#\s*include\s+"([^"]+)"', text, re.M):
            target = os.path.normpath(os.path.join(os.path.dirname(path), included))
            if not os.path.exists(os.path.join(root, target)):
                continue
            if os.path.splitext(target)[0] != os.path.splitext(path)[0]:
                edges.setdefault(os.path.splitext(path)[0], set()).add(os.path.splitext(target)[0])
            there = room_of(target)
            if there is not None and FLOOR[there] > FLOOR[here]:
                upward.append(f"{path} -> {included}")
    return edges, upward


def circles(edges):
    """Strongly connected components of more than one unit (Tarjan, without recursion)."""
    index, low, on_stack, stack, found, counter = {}, {}, set(), [], [], 0
    for start in list(edges):
        if start in index:
            continue
        work = [(start, iter(sorted(edges.get(start, ()))))]
        index[start] = low[start] = counter; counter += 1; stack.append(start); on_stack.add(start)
        while work:
            node, children = work[-1]
            child = next(children, None)
            if child is not None:
                if child not in index:
                    index[child] = low[child] = counter; counter += 1; stack.append(child); on_stack.add(child)
                    work.append((child, iter(sorted(edges.get(child, ())))))
                elif child in on_stack:
                    low[node] = min(low[node], index[child])
                continue
            work.pop()
            if work:
                low[work[-1][0]] = min(low[work[-1][0]], low[node])
            if low[node] == index[node]:
                component = []
                while True:
                    unit = stack.pop(); on_stack.discard(unit); component.append(unit)
                    if unit == node:
                        break
                if len(component) > 1:
                    found.append(sorted(component))
    return found


def main():
    root = subprocess.run(["git", "rev-parse", "--show-toplevel"], capture_output=True, text=True,
                          cwd=os.path.dirname(os.path.abspath(__file__))).stdout.strip()
    edges, upward = include_graph(root)
    found = circles(edges)
    for component in found:
        print("circle: " + ", ".join(component))
    for arrow in upward:
        print("up: " + arrow)
    print(f"includes: {len(found)} circle(s), {len(upward)} upward include(s)")
    return 1 if found or upward else 0


if __name__ == "__main__":
    sys.exit(main())
