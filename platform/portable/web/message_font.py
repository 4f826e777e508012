"""Cuts the page's message font: the glyphs of exactly the characters of the user's messages,
read from the k...Text literals in render/ (code page 932, as MessageBoxA takes them), out of IPA
Gothic, as WOFF2. The IPA Font License asks a derived font to carry another name, so it is renamed.

Usage: message_font.py RENDER_DIR FONT OUT.woff2"""
import glob
import re
import sys

from fontTools import subset
from fontTools.ttLib import TTFont

FAMILY = 'crs messages'
LITERALS = re.compile(r'const char k\w+Text\[\] =((?:\s*"(?:[^"\\]|\\.)*")+)\s*;')
PIECE = re.compile(r'"((?:[^"\\]|\\.)*)"')
ESCAPE = re.compile(r'\\x([0-9A-Fa-f]{1,2})|\\n|\\(.)')


def unescape(literal):
    """The bytes of one C string literal's body: \\xHH, \\n and quoted characters."""
    out = bytearray()
    position = 0
    for match in ESCAPE.finditer(literal):
        out += literal[position:match.start()].encode('ascii')
        if match.group(1):
            out.append(int(match.group(1), 16))
        elif match.group(2):
            out += match.group(2).encode('ascii')
        else:
            out.append(10)
        position = match.end()
    out += literal[position:].encode('ascii')
    return bytes(out)


def messages(render_dir):
    found = []
    for path in sorted(glob.glob(f'{render_dir}/*.cpp')):
        with open(path, encoding='utf-8') as source:
            for literal in LITERALS.finditer(source.read()):
                body = b''.join(unescape(p) for p in PIECE.findall(literal.group(1)))
                found.append(body.decode('cp932'))
    return found


def main():
    render_dir, font_path, out_path = sys.argv[1:]
    texts = messages(render_dir)
    if not texts:
        sys.exit(f'message_font.py: no messages found in {render_dir}')
    characters = sorted(set(''.join(texts)) - {'\n'})
    options = subset.Options()
    options.flavor = 'woff2'
    options.layout_features = []
    options.name_IDs = []
    options.hinting = False
    font = TTFont(font_path)
    subsetter = subset.Subsetter(options)
    subsetter.populate(unicodes=[ord(c) for c in characters])
    subsetter.subset(font)
    for name_id, value in ((1, FAMILY), (2, 'Regular'), (3, FAMILY), (4, FAMILY),
                           (6, FAMILY.replace(' ', '-'))):
        font['name'].setName(value, name_id, 3, 1, 0x409)
    font.flavor = 'woff2'
    font.save(out_path)
    print(f'message_font.py: {len(texts)} messages, {len(characters)} characters: '
          f'{"".join(characters)}')


if __name__ == '__main__':
    main()
