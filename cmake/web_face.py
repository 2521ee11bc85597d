"""Makes one face the web build embeds (cmake/web_text.cmake): a font file cut
down to some characters and renamed.

    python3 web_face.py SOURCE OUTPUT UNICODES FAMILY

UNICODES is fontTools' list ("U+0000-00FF,U+20AC"). Everything the glyphs'
pixels depend on stays as it is: outlines, hinting (fpgm, prep, cvt, gasp and
the glyphs' instructions; hdmx, LTSH and VDMX when the face has them),
metrics and the missing-glyph box. Glyph names, kerning and the OpenType
layout tables, which the runtime never reads, are dropped.

A cut-down font is a modified font, and the SIL Open Font License keeps the
names the original reserves for the original: the face's family, full,
unique and PostScript names become FAMILY's. Its copyright, trademark,
designer and licence records stay. The script fails when a reserved name is
left in a name the face is known by.
"""
import sys

from fontTools import subset

# The Reserved Font Names of the fonts the project embeds (Liberation, and
# the fonts it was made from).
RESERVED = ("Liberation", "Arimo", "Tinos", "Cousine")
# Name ids a face is known by: family, subfamily, unique id, full name,
# PostScript name, typographic family and subfamily, compatible full name,
# WWS family and subfamily, variations PostScript prefix.
KNOWN_BY = (1, 2, 3, 4, 6, 16, 17, 18, 21, 22, 25)


def rename(font, family):
    names = font["name"]
    subfamily = names.getDebugName(2) or "Regular"
    postscript = family.replace(" ", "")
    new = {
        1: family,
        3: f"{family} {subfamily}",
        4: family if subfamily == "Regular" else f"{family} {subfamily}",
        6: postscript if subfamily == "Regular" else f"{postscript}-{subfamily}",
        16: family,
    }
    for record in names.names:
        if record.nameID in new:
            record.string = new[record.nameID]
    for record in names.names:
        if record.nameID in KNOWN_BY:
            text = record.toUnicode()
            for reserved in RESERVED:
                if reserved.lower() in text.lower():
                    sys.exit(f"web_face.py: name {record.nameID} of the face is still {text!r}")


def main(argv):
    if len(argv) != 5:
        sys.exit("usage: web_face.py SOURCE OUTPUT UNICODES FAMILY")
    source, output, unicodes, family = argv[1:]
    options = subset.Options()
    options.notdef_outline = True
    options.name_IDs = ["*"]
    options.name_languages = ["*"]
    options.recalc_bounds = False
    options.recalc_timestamp = False
    options.prune_unicode_ranges = False
    options.drop_tables = [t for t in options.drop_tables if t != "LTSH"]
    options.drop_tables += ["GSUB", "GPOS", "GDEF", "kern", "FFTM"]
    font = subset.load_font(source, options)
    subsetter = subset.Subsetter(options)
    subsetter.populate(unicodes=subset.parse_unicodes(unicodes))
    subsetter.subset(font)
    rename(font, family)
    subset.save_font(font, output, options)


if __name__ == "__main__":
    main(sys.argv)
