#!/usr/bin/python3
"""Independent reading of sample capture folders for the sample-capture tests.

  samplecheck.py FOLDER

Reads every .tif (tifffile) and .jpg (Pillow) below FOLDER and prints one JSON object:
{"files": {relative path: facts}, "pairs": {relative path of a picture: facts}}. The facts are
plain measurements (sizes, tags, checksums, statistics, band peaks); the test decides what they
must be. Lanes are looked for where the captures put them: five lanes across 20 % to 80 % of the
width, the bands' run from 20 % to 80 % of the height.
"""
import glob
import hashlib
import json
import os
import sys

import numpy
import tifffile
from PIL import Image
from scipy import ndimage, signal

LANES = 5


def lane_centres(width):
    pitch = 0.6 * width / LANES
    return [0.2 * width + (i + 0.5) * pitch for i in range(LANES)]


def lane_profile(a, lane):
    """Mean of the three columns at the lane's centre, top to bottom."""
    x = int(lane_centres(a.shape[1])[lane])
    return a[:, max(0, x - 1):x + 2].astype(numpy.float64).mean(axis=1)


def peaks(profile):
    """Rows of the bands along a profile: peaks standing out at least 400 grey levels and ten times
    the profile's noise (estimated from the differences of neighbouring rows)."""
    noise = 1.4826 * numpy.median(numpy.abs(numpy.diff(profile))) / numpy.sqrt(2.0)
    found, _ = signal.find_peaks(profile, prominence=max(400.0, 10.0 * noise))
    return [int(p) for p in found]


def saturated_facts(a):
    sat = a == 65535
    count = int(sat.sum())
    if count == 0:
        return {'count': 0}
    rows = numpy.where(sat.any(axis=1))[0]
    cols = numpy.where(sat.any(axis=0))[0]
    # Longest run of saturated pixels along a row.
    longest = 0
    for r in rows:
        labels, n = ndimage.label(sat[r])
        if n:
            longest = max(longest, int(numpy.bincount(labels.ravel())[1:].max()))
    labels, regions = ndimage.label(sat)
    return {'count': count, 'left': int(cols[0]), 'right': int(cols[-1]), 'top': int(rows[0]),
            'bottom': int(rows[-1]), 'longestRun': longest, 'regions': int(regions)}


def tiff_facts(path):
    with tifffile.TiffFile(path) as tif:
        page = tif.pages[0]
        a = page.asarray()
        tags = page.tags
        xres = tags['XResolution'].value if 'XResolution' in tags else None
        facts = {
            'pages': len(tif.pages),
            'width': int(page.imagewidth),
            'height': int(page.imagelength),
            'dtype': str(a.dtype),
            'byteorder': tif.byteorder,
            'compression': int(page.compression),
            'photometric': int(page.photometric),
            'stripCount': len(page.dataoffsets),
            'description': page.description,
            'model': tags['Model'].value if 'Model' in tags else '',
            'xResolution': list(xres) if xres else [],
            'resolutionUnit': int(tags['ResolutionUnit'].value) if 'ResolutionUnit' in tags else 0,
        }
    h, w = a.shape
    facts['md5'] = hashlib.md5(a.astype('<u2').tobytes()).hexdigest()
    facts['min'] = int(a.min())
    facts['max'] = int(a.max())
    facts['p001'] = float(numpy.percentile(a, 0.1))
    facts['saturated'] = saturated_facts(a)
    # Background corners, outside the lanes and above / below the bands' run.
    mx, my = max(1, int(0.04 * w)), max(1, int(0.04 * h))
    facts['topLeft'] = float(numpy.median(a[:my, :mx]))
    facts['topRight'] = float(numpy.median(a[:my, w - mx:]))
    facts['bottomLeft'] = float(numpy.median(a[h - my:, :mx]))
    facts['lanePeaks'] = [peaks(lane_profile(a, lane)) for lane in range(LANES)]
    # Lanes across the image: columns standing out from a running minimum over one lane pitch,
    # away from the image's sides, where the light falls off fastest and no lane lies.
    col = a.astype(numpy.float64).mean(axis=0)
    size = max(3, int(0.6 * w / LANES) + 1)
    rest = col - ndimage.minimum_filter1d(col, size=size, mode='nearest')
    rest = rest[int(0.1 * w):w - int(0.1 * w)]
    labels, runs = ndimage.label(rest > 0.25 * numpy.median(rest[rest > numpy.percentile(rest, 60)]))
    facts['laneRuns'] = int(runs)
    return facts, a


def jpeg_facts(path):
    with Image.open(path) as im:
        im.load()
        facts = {'format': im.format, 'mode': im.mode, 'width': im.size[0], 'height': im.size[1],
                 'dpi': list(im.info.get('dpi', ()))}
        rgb = numpy.asarray(im.convert('RGB'), dtype=numpy.float64)
    facts['mean'] = [float(rgb[..., c].mean()) for c in range(3)]
    return facts, rgb


def corr(a, b):
    a = numpy.asarray(a, dtype=numpy.float64).ravel()
    b = numpy.asarray(b, dtype=numpy.float64).ravel()
    if a.std() == 0 or b.std() == 0:
        return 0.0
    return float(numpy.corrcoef(a, b)[0, 1])


def main():
    root = sys.argv[1]
    files, pixels, pictures = {}, {}, {}
    for path in sorted(glob.glob(os.path.join(root, '**', '*'), recursive=True)):
        if os.path.isdir(path):
            continue
        rel = os.path.relpath(path, root)
        if path.endswith('.tif'):
            files[rel], pixels[rel[:-4]] = tiff_facts(path)
        elif path.endswith('.jpg'):
            files[rel], pictures[rel[:-4]] = jpeg_facts(path)
        else:
            files[rel] = {'unexpected': True}

    # Each picture against the grey image(s) it shows. Dark in a picture is a high grey level,
    # except in the fluorescence composite, which shows each channel positive.
    pairs = {}
    for base, rgb in pictures.items():
        grey = rgb.mean(axis=2)
        if base.endswith('_Fl'):
            planes = {0: base + '-Red', 1: base + '-Green', 2: base + '-Blue'}
            pairs[base + '.jpg'] = {'channels': [corr(rgb[..., c], pixels[p]) if p in pixels else 0.0
                                                 for c, p in planes.items()]}
        elif base.endswith('+Marker'):
            marker = pictures.get(base[:-len('+Marker')] + '-Marker')
            pairs[base + '.jpg'] = {
                'darkerThanMarker': bool(marker is not None and grey.mean() < marker.mean(axis=2).mean()),
                'withSample': corr(255.0 - grey, pixels.get(base[:-len('+Marker')], grey)),
            }
        elif base in pixels:
            # Over the levels the picture shows: outside its display range it is black or white
            # whatever the grey level.
            shown = (grey > 1.0) & (grey < 254.0)
            pairs[base + '.jpg'] = {'withGrey': corr((255.0 - grey)[shown], pixels[base][shown])}
    print(json.dumps({'files': files, 'pairs': pairs}))


if __name__ == '__main__':
    main()
