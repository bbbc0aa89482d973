#!/usr/bin/env python3
"""Checks of the release package that unpacking on Linux cannot show.

  package_check.py names ZIP      the entries unpack into one folder on Windows: no two names
                                  equal ignoring letter case, none that Windows refuses
  package_check.py guide PAGE     the guide opens offline from the unpacked folder: every link and
                                  picture resolves inside the page or the folder, no stylesheet,
                                  script or font comes from elsewhere

Prints one line per problem and exits 1 when there is any.
"""
import base64
import binascii
import html.parser
import os
import re
import sys
import urllib.parse
import zipfile

WINDOWS_DEVICES = {'CON', 'PRN', 'AUX', 'NUL'} | {f'{d}{n}' for d in ('COM', 'LPT')
                                                  for n in range(1, 10)}


def name_problems(names):
    problems = []
    seen = {}
    for name in names:
        parts = name.rstrip('/').split('/')
        # Each folder an entry lies in is created too; a folder and a file may collide as well.
        for depth in range(1, len(parts) + 1):
            path = '/'.join(parts[:depth])
            key = path.casefold()
            if key in seen and seen[key] != path:
                problems.append(f'{seen[key]} and {path} are one name on Windows')
            seen.setdefault(key, path)
        for part in parts:
            if re.search(r'[<>:"|?*\\\x00-\x1f]', part) or part.endswith(('.', ' ')):
                problems.append(f'{name}: Windows cannot name a file {part!r}')
            if part.split('.')[0].upper() in WINDOWS_DEVICES:
                problems.append(f'{name}: {part} is a device name on Windows')
    return sorted(set(problems))


class Page(html.parser.HTMLParser):
    """The anchors a page defines and every reference it makes, with the tag making it."""

    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.ids = set()
        self.refs = []     # (tag, attribute, value)
        self.styles = []   # text of <style> elements and style attributes
        self._in_style = False

    def handle_starttag(self, tag, attrs):
        for name, value in attrs:
            if value is None:
                continue
            if name == 'id' or (tag == 'a' and name == 'name'):
                self.ids.add(value)
            elif name in ('href', 'src', 'srcset', 'data', 'poster', 'background'):
                self.refs.append((tag, name, value))
            elif name == 'style':
                self.styles.append(value)
        self._in_style = tag == 'style'

    def handle_startendtag(self, tag, attrs):
        self.handle_starttag(tag, attrs)
        self._in_style = False

    def handle_endtag(self, tag):
        self._in_style = False

    def handle_data(self, data):
        if self._in_style:
            self.styles.append(data)


def data_uri_problem(uri):
    head, sep, body = uri.partition(',')
    if not sep:
        return 'a data: reference without content'
    if head.endswith(';base64'):
        try:
            raw = base64.b64decode(body, validate=True)
        except binascii.Error:
            return 'a data: reference whose base64 does not decode'
        if head.startswith('data:image/png') and not raw.startswith(b'\x89PNG\r\n\x1a\n'):
            return 'an embedded PNG picture that is not a PNG'
    return None


def guide_problems(page_path):
    folder = os.path.dirname(os.path.abspath(page_path))
    with open(page_path, encoding='utf-8') as f:
        page = Page()
        page.feed(f.read())
    problems, notes = [], []
    pictures = 0
    for tag, attr, value in page.refs:
        ref = value.strip()
        where = f'<{tag} {attr}="{ref[:60]}">'
        scheme = urllib.parse.urlsplit(ref).scheme.lower()
        if tag == 'img':
            pictures += 1
        if ref.startswith('#'):
            if urllib.parse.unquote(ref[1:]) not in page.ids:
                problems.append(f'{where}: no such place in the page')
        elif scheme == 'data':
            problem = data_uri_problem(ref)
            if problem:
                problems.append(f'{where}: {problem}')
        elif scheme or ref.startswith('//'):
            # A link the reader may follow when online is allowed; anything the page needs in
            # order to show itself must not come from the network.
            if tag == 'a' and scheme in ('http', 'https', 'mailto'):
                notes.append(f'external link {ref}')
            else:
                problems.append(f'{where}: taken from outside the package')
        else:
            target = urllib.parse.unquote(urllib.parse.urlsplit(ref).path)
            if target and not os.path.isfile(os.path.join(folder, target)):
                problems.append(f'{where}: {target} is not in the package')
    for style in page.styles:
        for ref in re.findall(r'url\(\s*[\'"]?([^\'")]+)', style):
            if ref.startswith('data:'):
                continue
            if urllib.parse.urlsplit(ref).scheme or ref.startswith('//'):
                problems.append(f'the stylesheet takes {ref} from outside the package')
            elif not os.path.isfile(os.path.join(folder, urllib.parse.unquote(ref))):
                problems.append(f'the stylesheet takes {ref}, which is not in the package')
        if '@import' in style:
            problems.append('the stylesheet imports another one')
    if pictures == 0:
        problems.append('the guide shows no picture')
    notes.append(f'{len(page.refs)} references checked, {pictures} of them pictures')
    return problems, notes


def main(argv):
    if len(argv) != 3 or argv[1] not in ('names', 'guide'):
        print(__doc__, file=sys.stderr)
        return 2
    if argv[1] == 'names':
        with zipfile.ZipFile(argv[2]) as z:
            problems, notes = name_problems(z.namelist()), []
    else:
        problems, notes = guide_problems(argv[2])
    for line in notes:
        print(f'note: {line}')
    for line in problems:
        print(line)
    return 1 if problems else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
