#!/usr/bin/python3
"""Band volumes, lane totals, lane percentages, normalisation values and normalised values of a
document, from the net profiles and bands the test hands over.

A volume is the sum of the net profile over the band's points start..end that the profile has;
a lane's normalisation value is the mean volume of its reference bands over all channels (-1
without one); a lane percentage is 0 for a lane total of 0, and a normalised value exists only for
a positive normalisation value.
"""
import json
import sys

import numpy as np


def main():
    with open(sys.argv[1]) as f:
        data = json.load(f)
    lanes = data["lanes"]
    ref_sum = np.zeros(lanes)
    ref_count = np.zeros(lanes, dtype=int)
    volumes = []
    totals = []
    for channel in data["channels"]:
        channel_volumes = []
        channel_totals = []
        for j, (net, bands) in enumerate(zip(channel["nets"], channel["bands"])):
            net = np.asarray(net, dtype=float)
            lane_volumes = []
            for start, _peak, end, reference in bands:
                first = max(start, 0)
                volume = float(np.sum(net[first:end + 1])) if end >= first else 0.0
                lane_volumes.append(volume)
                if reference and j < lanes:
                    ref_sum[j] += volume
                    ref_count[j] += 1
            channel_volumes.append(lane_volumes)
            channel_totals.append(float(np.sum(lane_volumes)) if lane_volumes else 0.0)
        volumes.append(channel_volumes)
        totals.append(channel_totals)

    normalization = np.where(ref_count > 0, ref_sum / np.maximum(ref_count, 1), -1.0)
    percents = []
    normalized = []
    for channel_volumes, channel_totals in zip(volumes, totals):
        percents.append([[v / t * 100.0 if t != 0 else 0.0 for v in lane]
                         for lane, t in zip(channel_volumes, channel_totals)])
        normalized.append([[v / normalization[j] if normalization[j] > 0 else None for v in lane]
                           for j, lane in enumerate(channel_volumes)])
    json.dump({"volumes": volumes, "totals": totals, "normalization": normalization.tolist(),
               "percents": percents, "normalized": normalized}, sys.stdout)


if __name__ == "__main__":
    main()
