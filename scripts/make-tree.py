#!/usr/bin/env python3
"""Makes a test tree: FILES files, about PER_FOLDER a folder, folders up to DEPTH deep.

usage: make-tree.py DIR FILES [PER_FOLDER=20] [DEPTH=6]
"""
import os
import sys


def main():
    root, files = sys.argv[1], int(sys.argv[2])
    per = int(sys.argv[3]) if len(sys.argv) > 3 else 20
    depth = int(sys.argv[4]) if len(sys.argv) > 4 else 6
    folders_needed = max(1, (files + per - 1) // per)
    # Breadth-first folders with a branching factor that reaches the count within the depth.
    branching = 2
    while sum(branching ** d for d in range(depth + 1)) < folders_needed:
        branching += 1
    folders, frontier = [root], [root]
    while len(folders) < folders_needed and frontier:
        nxt = []
        for parent in frontier:
            for b in range(branching):
                if len(folders) >= folders_needed:
                    break
                child = os.path.join(parent, "dir%02d" % b)
                folders.append(child)
                nxt.append(child)
        frontier = nxt
    made = 0
    for i, folder in enumerate(folders):
        os.makedirs(folder, exist_ok=True)
        for j in range(per):
            if made >= files:
                break
            with open(os.path.join(folder, "file%03d.txt" % j), "wb") as f:
                f.write(b"x" * ((i * 31 + j * 7) % 97))
            made += 1
    print("made %d files in %d folders under %s" % (made, len(folders), root))


if __name__ == "__main__":
    main()
