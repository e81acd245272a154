#!/usr/bin/env python3
"""Writes the benchmark's levels: a floor of unit CUBEs, edge to edge, with
the robot standing in its middle. Cubes500.xml (25 x 20) is the frame
benchmark's level, Cubes20.xml (5 x 4) its smoke run's. Run it from this
folder; its output is committed."""

LEVELS = {"Cubes500.xml": (25, 20), "Cubes20.xml": (5, 4)}
HEIGHT = 4


def level(columns, rows):
    lines = ['<?xml version="1.0"?>',
             '<!-- Written by generate.py: %d x %d CUBEs with the robot in the middle. -->' % (columns, rows),
             '<level>',
             '    <Map>',
             '        <Row>%d</Row>' % rows,
             '        <Column>%d</Column>' % columns,
             '        <Height>%d</Height>' % HEIGHT,
             '    </Map>']
    for r in range(rows):
        for c in range(columns):
            lines += ['    <Object>',
                      '        <Type>CUBE</Type>',
                      '        <Position>%g 0.5 %g</Position>' % (c + 0.5, r + 0.5),
                      '    </Object>']
    lines += ['    <Object>',
              '        <Type>PLAYER</Type>',
              '        <Position>%g 1.5 %g</Position>' % (columns // 2 + 0.5, rows // 2 + 0.5),
              '    </Object>',
              '</level>']
    return '\n'.join(lines) + '\n'


if __name__ == '__main__':
    for name, (columns, rows) in LEVELS.items():
        with open(name, 'w') as out:
            out.write(level(columns, rows))
