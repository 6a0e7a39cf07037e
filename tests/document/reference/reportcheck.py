#!/usr/bin/python3
"""Checks that the numbers of an analysis report agree with each other as its columns define them.

Usage: reportcheck.py <report.csv>. Prints what disagrees and exits with 1; exits with 0 otherwise.

Per band line (after the header "[Channel,]Lane,Band,Volume,Lane %,Normalized value,Mw,Rf"):
- bands are numbered 1, 2, ... within each lane of each channel;
- Lane % is the volume's share of the sum of the volumes of its lane in its channel;
- Normalized value is "ref" for a reference band, "-" in a lane without one, and otherwise the
  volume divided by the mean volume of the lane's reference bands, over all channels;
- Mw is, in the standard lane, the used standard weights in parentheses, decreasing, then "-";
  elsewhere a weight that does not grow as the relative mobility does;
- Rf lies between 0 and 1;
- every number has the decimals of its column (volumes 0 or 2, the same in every line).
The volumes are read as printed, rounded, so each quotient is checked to lie within the bounds
that rounding leaves.
"""
import re
import sys
from collections import defaultdict

HEADER = "Lane,Band,Volume,Lane %,Normalized value,Mw,Rf"


def decimals(text):
    return len(text.split(".")[1]) if "." in text else 0


def main():
    with open(sys.argv[1], encoding="utf-8") as f:
        lines = f.read().split("\n")
    problems = []
    try:
        start = next(i for i, line in enumerate(lines) if line.endswith(HEADER)) + 1
    except StopIteration:
        print("no band table")
        return 1
    with_channel = lines[start - 1].startswith("Channel,")
    rows = []
    for line in lines[start:]:
        if not line:
            continue
        fields = line.split(",")
        channel = fields.pop(0) if with_channel else ""
        lane, band, volume, share, normalized, mw, rf = fields
        rows.append(dict(line=line, channel=channel, lane=int(lane), band=int(band), volume=float(volume),
                         volume_text=volume, share=float(share), share_text=share, normalized=normalized,
                         mw=mw, rf=float(rf), rf_text=rf))

    # Half a unit of the last printed decimal of a volume: how far a printed volume may be off.
    half_unit = 0.5 * 10.0 ** -max([decimals(r["volume_text"]) for r in rows] or [0])

    by_lane = defaultdict(list)
    for row in rows:
        by_lane[(row["channel"], row["lane"])].append(row)
    for (channel, lane), lane_rows in by_lane.items():
        if [r["band"] for r in lane_rows] != list(range(1, len(lane_rows) + 1)):
            problems.append("bands of %s lane %d are not numbered 1..n" % (channel, lane))
        total = sum(r["volume"] for r in lane_rows)
        slack = half_unit * len(lane_rows)
        for r in lane_rows:
            if total - slack <= 0.0:
                continue
            low = 100.0 * max(r["volume"] - half_unit, 0.0) / (total + slack)
            high = 100.0 * (r["volume"] + half_unit) / (total - slack)
            if not low - 0.005 <= r["share"] <= high + 0.005:
                problems.append("lane %% %s, expected %.4f..%.4f: %s" % (r["share_text"], low, high, r["line"]))

    references = defaultdict(list)
    for row in rows:
        if row["normalized"] == "ref":
            references[row["lane"]].append(row["volume"])
    for row in rows:
        refs = references.get(row["lane"])
        if not refs:
            if row["normalized"] != "-":
                problems.append("lane without reference, value given: " + row["line"])
        elif row["normalized"] != "ref":
            mean = sum(refs) / len(refs)
            if mean - half_unit > 0.0:
                low = max(row["volume"] - half_unit, 0.0) / (mean + half_unit)
                high = (row["volume"] + half_unit) / (mean - half_unit)
                if not low - 0.00005 <= float(row["normalized"]) <= high + 0.00005:
                    problems.append("normalised %s, expected %.6f..%.6f: %s" % (row["normalized"], low, high, row["line"]))
            if decimals(row["normalized"]) != 4:
                problems.append("normalised value without 4 decimals: " + row["line"])

    standard = [r for r in rows if r["mw"].startswith("(")]
    if standard:
        key = (standard[0]["channel"], standard[0]["lane"])
        lane_rows = by_lane[key]
        weights = [int(r["mw"][1:-1]) for r in lane_rows if r["mw"].startswith("(")]
        marks = [r["mw"] for r in lane_rows]
        if any(re.fullmatch(r"\(\d+\)", m) is None for m in marks[:len(weights)]) or any(m != "-" for m in marks[len(weights):]):
            problems.append("standard lane: weights in parentheses first, then \"-\": %s" % marks)
        if weights != sorted(weights, reverse=True) or len(set(weights)) != len(weights):
            problems.append("standard weights do not decrease: %s" % weights)
        if any(r["mw"].startswith("(") for r in rows if (r["channel"], r["lane"]) != key):
            problems.append("weights in parentheses outside the standard lane")
        others = sorted((r for r in rows if (r["channel"], r["lane"]) != key), key=lambda r: r["rf"])
        previous = None
        for r in others:
            if r["mw"] == "-":
                continue
            if decimals(r["mw"]) != 2:
                problems.append("weight without 2 decimals: " + r["line"])
            weight = float(r["mw"])
            if previous is not None and weight > previous[0] + 1e-9 and r["rf"] > previous[1]:
                problems.append("weight grows with the mobility: " + r["line"])
            previous = (weight, r["rf"])

    volume_decimals = {decimals(r["volume_text"]) for r in rows}
    if len(volume_decimals) != 1 or volume_decimals - {0, 2}:
        problems.append("volumes with %s decimals" % sorted(volume_decimals))
    for r in rows:
        if decimals(r["share_text"]) != 2 or decimals(r["rf_text"]) != 4:
            problems.append("lane % or Rf with other decimals: " + r["line"])
        if not 0.0 <= r["rf"] <= 1.0:
            problems.append("Rf outside 0..1: " + r["line"])

    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
