#!/usr/bin/env python3
# Writes the seeds of the shapefile fuzz target from a folder of shapefiles (default: the demo's Maps/ESRI):
# each seed is the ".shx" length (4 bytes, little-endian), the ".shx", then the ".shp".
import os, struct, sys

here = os.path.dirname(os.path.abspath(__file__))
source = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, '..', '..', 'build', 'data', 'Maps', 'ESRI')
out = os.path.join(here, 'corpus', 'shapefile')
os.makedirs(out, exist_ok=True)
for name in sorted(os.listdir(source)):
    if not name.endswith('.shp'):
        continue
    stem = name[:-4]
    shp = open(os.path.join(source, name), 'rb').read()
    shx = open(os.path.join(source, stem + '.shx'), 'rb').read()
    with open(os.path.join(out, stem), 'wb') as f:
        f.write(struct.pack('<I', len(shx)) + shx + shp)
