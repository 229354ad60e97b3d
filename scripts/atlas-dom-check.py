#!/usr/bin/env python3
"""Checks the atlas page as Chromium rendered it (--dump-dom) against atlas.json.

atlas-dom-check.py ATLAS_JSON ALL_DOM FILTERED_DOM
ALL_DOM is the page as loaded; FILTERED_DOM the page opened with
?region=dvb&size=4_3. Exits 1 with the reasons when a check fails.
"""
import json
import sys
from html.parser import HTMLParser

# Where the page draws the panel: a 104 x 62 box at (120, 2), the panel at
# 16:9 (21:9 while the 21:9 output is on) centred in it.
PANEL_BOX = (120.0, 2.0, 104.0, 62.0)
CHOSEN = "dvb/tuner-dtv-sd-4:3/16_9/auto-wide/afd-0/mode-4_3"


class Figures(HTMLParser):
    """Each figure.case: its attributes and the rectangles of its picture."""

    def __init__(self):
        super().__init__()
        self.figures = {}
        self.current = None

    def handle_starttag(self, tag, attrs):
        a = dict(attrs)
        if tag == "figure" and "case" in a.get("class", "").split():
            self.current = {"attrs": a, "rects": {}}
            self.figures[a["data-id"]] = self.current
        elif tag == "rect" and self.current is not None:
            self.current["rects"][a.get("class", "")] = a

    def handle_endtag(self, tag):
        if tag == "figure":
            self.current = None


def parse(path):
    p = Figures()
    with open(path, encoding="utf-8") as f:
        p.feed(f.read())
    return p.figures


def main():
    atlas_path, all_path, filtered_path = sys.argv[1:4]
    with open(atlas_path, encoding="utf-8") as f:
        atlas = json.load(f)
    records = {r["id"]: r for r in atlas["records"]}
    failures = []

    figures = parse(all_path)
    missing = [i for i in records if i not in figures]
    if missing:
        failures.append(f"{len(missing)} case(s) without a picture, e.g. {missing[:3]}")
    extra = [i for i in figures if i not in records]
    if extra:
        failures.append(f"{len(extra)} picture(s) of no case, e.g. {extra[:3]}")
    for i, r in records.items():
        fig = figures.get(i)
        if fig is None:
            continue
        if "frame" not in fig["rects"] or "panel" not in fig["rects"]:
            failures.append(f"{i}: no frame or panel drawn")
        if (r["outcome"]["dst"] is not None) != ("dst" in fig["rects"]):
            failures.append(f"{i}: destination drawn {'dst' in fig['rects']}, written {r['outcome']['dst']}")
        if "hidden" in fig["attrs"]:
            failures.append(f"{i}: hidden with no filter set")

    filtered = parse(filtered_path)
    shown = {i for i, f in filtered.items() if "hidden" not in f["attrs"]}
    expected = {i for i, r in records.items() if r["case"]["region"] == "dvb" and r["case"]["size"] == "4_3"}
    if not expected or shown != expected or len(shown) >= len(records):
        failures.append(f"filter region=dvb size=4_3 shows {len(shown)} cases, atlas.json has {len(expected)}")

    rec = records.get(CHOSEN)
    fig = figures.get(CHOSEN)
    if rec is None or fig is None or "dst" not in fig["rects"]:
        failures.append(f"chosen case {CHOSEN} missing or without a destination")
    else:
        bx, by, bw, bh = PANEL_BOX
        ratio = 21 / 9 if rec["outcome"]["output_21_9"] else 16 / 9
        pw, ph = (bw, bw / ratio) if bw / ratio <= bh else (bh * ratio, bh)
        py = by + (bh - ph) / 2
        x, y, w, h = rec["outcome"]["dst"]
        want = (bx + x * pw / 1920, py + y * ph / 1080, w * pw / 1920, h * ph / 1080)
        r = fig["rects"]["dst"]
        got = tuple(float(r[k]) for k in ("x", "y", "width", "height"))
        if any(abs(a - b) > 0.01 for a, b in zip(want, got)):
            failures.append(f"{CHOSEN}: destination drawn at {got}, atlas.json puts it at {want}")

    if failures:
        print("atlas-browser-check: FAILED", *failures[:20], sep="\n  ")
        if len(failures) > 20:
            print(f"  ... {len(failures) - 20} more")
        return 1
    print(f"atlas-browser-check: {len(records)} cases drawn, filter shows {len(shown)}, "
          f"{CHOSEN} destination in place")
    return 0


if __name__ == "__main__":
    sys.exit(main())
