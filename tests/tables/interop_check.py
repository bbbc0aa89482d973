#!/usr/bin/python3
"""Every kind of table that the store writes reads back identically in two independent dBase
readers: python3-dbfread and shapelib's dbfdump.

    interop_check.py WRITE_SAMPLES_PROGRAM
"""
import json
import subprocess
import sys
import tempfile

import dbfread


def dbfdump_rows(path):
    """Rows as dbfdump -m -r prints them: {field: raw text}; deleted rows marked."""
    out = subprocess.run(['dbfdump', '-m', '-r', path], check=True, capture_output=True).stdout
    rows = []
    for line in out.decode('cp1252').splitlines():
        if line.startswith('Record:'):
            rows.append({})
        elif ': ' in line or line.endswith(':'):
            name, _, value = line.partition(':')
            rows[-1][name] = value[1:] if value.startswith(' ') else value
    return rows


def main():
    failures = []
    with tempfile.TemporaryDirectory() as folder:
        expected = json.loads(subprocess.run([sys.argv[1], folder], check=True,
                                             capture_output=True).stdout.decode('utf-8'))

        table = dbfread.DBF(folder + '/SAMPLE.DBF', load=True)
        if table.encoding != 'cp1252':
            failures.append('dbfread encoding %s' % table.encoding)
        got = [dict(r) for r in table.records]
        if len(got) != len(expected):
            failures.append('dbfread: %d rows, expected %d' % (len(got), len(expected)))
        for i, (g, e) in enumerate(zip(got, expected)):
            for name, value in e.items():
                if name == 'NOMBRE' or name == 'COD':
                    ok = g[name] == value
                else:
                    ok = g[name] == value and type(g[name] is None) == type(value is None)
                if not ok:
                    failures.append('dbfread row %d %s: %r, expected %r' % (i, name, g[name], value))
        if list(dbfread.DBF(folder + '/EMPTY.DBF', load=True).records) != []:
            failures.append('dbfread: EMPTY.DBF has rows')

        dumped = dbfdump_rows(folder + '/SAMPLE.DBF')
        if len(dumped) != len(expected):
            failures.append('dbfdump: %d rows, expected %d' % (len(dumped), len(expected)))
        for i, (d, e) in enumerate(zip(dumped, expected)):
            for name, value in e.items():
                text = d.get(name, '').rstrip(' ')
                if isinstance(value, bool):
                    ok = text == ('T' if value else 'F')
                elif value is None:
                    ok = text.strip() == ''
                elif isinstance(value, str):
                    ok = text == value.lstrip(' ')  # shapelib drops leading blanks of text
                else:
                    ok = float(text) == value
                if not ok:
                    failures.append('dbfdump row %d %s: %r, expected %r' % (i, name, text, value))
        if dbfdump_rows(folder + '/EMPTY.DBF') != []:
            failures.append('dbfdump: EMPTY.DBF has rows')

    for f in failures:
        print(f)
    print('%d rows checked, %d failures' % (len(expected), len(failures)))
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main())
