#!/usr/bin/env python3
"""Checks the program's layers: every folder of src/ includes only the folders below it
that its layer may use, and its library links exactly the layers it includes.

    tools/check_layers.py [SRC]        (SRC defaults to the src/ beside this script)

The build makes an include from an unlinked layer fail to compile; this check states
the order for a reader and catches a link list that has drifted from the includes.
"""

import pathlib
import re
import sys

# Bottom up: each folder and the folders it may use besides itself.
MAY_USE = {
    "swf": set(),
    "swfwriter": {"swf"},
    "platform": set(),
    "app": {"platform"},
    "links": {"app", "platform"},
    "frame": {"links", "app", "platform"},
    "wheel": {"frame", "app", "platform"},
    "movie": {"frame", "app", "platform", "swf"},
    "referral": {"links", "app", "platform"},
    "shell": {"wheel", "movie", "referral", "frame", "links", "app", "platform"},
}

# Where a folder may use only some headers of a layer: the writer shares the player's
# tag and action codes and nothing else of it.
ONLY_HEADERS = {("swfwriter", "swf"): {"TagCode.h", "ActionCode.h"}}

# Libraries that are not named after their folder.
LIBRARY_FOLDER = {"swf_tag_codes": "swf", "swf_writer": "swfwriter"}

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"/]+)/([^"]+)"', re.MULTILINE)
LINKS = re.compile(r"target_link_libraries\(\s*somnara_(\w+)\s+(?:PUBLIC|PRIVATE)([^)]*)\)")


def main(src: pathlib.Path) -> int:
    problems = []
    folders = sorted(p.name for p in src.iterdir() if p.is_dir())
    for folder in folders:
        if folder not in MAY_USE:
            problems.append(f"{folder}/: a folder of src/ with no place in the layers")
            continue
        used = set()
        for source in sorted((src / folder).rglob("*")):
            if source.suffix not in (".h", ".cpp", ".in"):
                continue
            for target, header in INCLUDE.findall(source.read_text(encoding="utf-8")):
                if target == folder:
                    continue
                used.add(target)
                if target not in MAY_USE[folder]:
                    problems.append(f"{source.relative_to(src)}: includes {target}/, which {folder}/ may not use")
                elif header not in ONLY_HEADERS.get((folder, target), {header}):
                    problems.append(f"{source.relative_to(src)}: includes {target}/{header}; {folder}/ may use only "
                                    f"{sorted(ONLY_HEADERS[(folder, target)])} of {target}/")
        cmake = (src / folder / "CMakeLists.txt").read_text(encoding="utf-8")
        links = LINKS.search(cmake)
        linked = set()
        if links:
            for name in links.group(2).split():
                if name.startswith("somnara_"):
                    library = name.removeprefix("somnara_")
                    linked.add(LIBRARY_FOLDER.get(library, library))
            linked.discard(folder)
        if linked != used:
            problems.append(f"{folder}/CMakeLists.txt: links {sorted(linked)} but includes {sorted(used)}")
    for problem in problems:
        print(problem)
    if not problems:
        print(f"{len(folders)} folders, each using only the layers below it that it links")
    return 1 if problems else 0


if __name__ == "__main__":
    default = pathlib.Path(__file__).resolve().parent.parent / "src"
    sys.exit(main(pathlib.Path(sys.argv[1]) if len(sys.argv) > 1 else default))
