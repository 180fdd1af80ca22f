#!/usr/bin/python3
"""Prints which top-level folders include which, from the `#include "folder/..."` lines of the
sources, then the folders in layers (each layer includes only the layers before it). Folders
that include each other are reported as cycles, and the exit status is 1.

    scripts/include-graph.py [ROOT]   (default: the checkout this script is in)

Includes without a folder ("Watchdog.h") stay within their folder and are not counted.
"""
import re
import sys
from pathlib import Path

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"/]+)/')
SOURCE_SUFFIXES = {".cpp", ".h", ".inc"}


def ReadGraph(root):
    folders = sorted(p.name for p in root.iterdir()
                     if p.is_dir() and not p.name.startswith((".", "build")))
    graph = {}
    witness = {}  # (folder, target) -> the first file with such an include
    for folder in folders:
        targets = set()
        for path in (root / folder).rglob("*"):
            if path.suffix not in SOURCE_SUFFIXES or not path.is_file():
                continue
            for line in path.read_text(encoding="utf-8", errors="replace").splitlines():
                match = INCLUDE.match(line)
                target = match.group(1) if match else folder
                if target != folder and (root / target).is_dir():
                    targets.add(target)
                    edge = (folder, target)
                    name = str(path.relative_to(root))
                    witness[edge] = min(witness.get(edge, name), name)
        if targets or any(f.suffix in SOURCE_SUFFIXES for f in (root / folder).rglob("*")):
            graph[folder] = targets
    return graph, witness


def StronglyConnected(graph):
    """Tarjan's algorithm; returns the components, each a sorted list."""
    index = {}
    low = {}
    stack = []
    onStack = set()
    components = []

    def Visit(node):
        index[node] = low[node] = len(index)
        stack.append(node)
        onStack.add(node)
        for target in sorted(graph.get(node, ())):
            if target not in index:
                Visit(target)
                low[node] = min(low[node], low[target])
            elif target in onStack:
                low[node] = min(low[node], index[target])
        if low[node] == index[node]:
            component = []
            while True:
                member = stack.pop()
                onStack.discard(member)
                component.append(member)
                if member == node:
                    break
            components.append(sorted(component))

    for node in sorted(graph):
        if node not in index:
            Visit(node)
    return components


def Layers(graph, components):
    """Layer 0 includes nothing; a folder is one layer above the highest it includes. The
    members of a cycle share a layer."""
    componentOf = {member: i for i, c in enumerate(components) for member in c}
    depth = {}

    def Depth(i):
        if i not in depth:
            depth[i] = 0
            targets = {componentOf[t] for m in components[i] for t in graph[m] if t in graph}
            depth[i] = max((Depth(t) + 1 for t in targets if t != i), default=0)
        return depth[i]

    layers = {}
    for i, component in enumerate(components):
        layers.setdefault(Depth(i), []).extend(component)
    return [sorted(layers[d]) for d in sorted(layers)]


def main():
    root = Path(sys.argv[1] if len(sys.argv) > 1 else Path(__file__).resolve().parent.parent)
    graph, witness = ReadGraph(root)
    width = max(map(len, graph), default=0)
    for folder in sorted(graph):
        print(f"{folder:<{width}} -> {' '.join(sorted(graph[folder])) or '-'}")
    components = StronglyConnected(graph)
    print()
    for depth, layer in enumerate(Layers(graph, components)):
        print(f"layer {depth}: {' '.join(layer)}")
    cycles = [c for c in components if len(c) > 1]
    print()
    for cycle in cycles:
        print("cycle: " + " ".join(cycle))
        for folder in cycle:
            for target in sorted(graph[folder] & set(cycle)):
                print(f"  {folder} -> {target}, e.g. in {witness[(folder, target)]}")
    if not cycles:
        print("no cycles")
    return 1 if cycles else 0


if __name__ == "__main__":
    sys.exit(main())
