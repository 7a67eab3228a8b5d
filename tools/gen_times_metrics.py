#!/usr/bin/env python3
"""Generates src/foundation/times_metrics.cpp from Adobe's Times AFM files.

The character widths of Times-Roman, Times-Bold, Times-Italic and
Times-BoldItalic are taken for every glyph that has an Adobe StandardEncoding
code (the "C" field of the CharMetrics lines), and the kerning pairs of
Times-Roman whose adjustment is not 0 and whose two glyphs are both encoded.

The AFM files ship with Debian's texlive-fonts-recommended package.  The
generator is run by hand; its output is committed so that building the
converter does not need the package:

    tools/gen_times_metrics.py [AFM_DIRECTORY] [OUTPUT_FILE]
"""

import os
import sys

DEFAULT_AFM_DIR = "/usr/share/texlive/texmf-dist/fonts/afm/adobe/times"
DEFAULT_OUTPUT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)),
                              "..", "src", "foundation", "times_metrics.cpp"))

# Style columns in the order the width table keeps them.
STYLES = [
    ("regular", "ptmr8a.afm"),
    ("bold", "ptmb8a.afm"),
    ("italic", "ptmri8a.afm"),
    ("bold italic", "ptmbi8a.afm"),
]

EXPECTED_KERNING_PAIRS = 173

# Values the converter's tests rely on; a mismatch means the wrong files.
EXPECTED_WIDTHS = {
    32: (250, 250, 250, 250),
    65: (722, 722, 611, 667),
    77: (889, 944, 833, 889),
    225: (889, 1000, 889, 944),
}
EXPECTED_KERNING = {
    (32, 65): -55,
    (65, 84): -111,
    (65, 86): -135,
    (70, 44): -80,
    (76, 84): -92,
}


def fail(message):
    sys.stderr.write("gen_times_metrics: " + message + "\n")
    sys.exit(1)


def read_afm(path):
    """Returns ({glyph name: (code, width)}, [(name1, name2, adjustment)])."""
    glyphs = {}
    kerning = []
    section = None
    with open(path, encoding="latin-1") as afm:
        for line in afm:
            words = line.split()
            if not words:
                continue
            if words[0] in ("StartCharMetrics", "StartKernPairs"):
                section = words[0]
                continue
            if words[0] in ("EndCharMetrics", "EndKernPairs"):
                section = None
                continue
            if section == "StartCharMetrics":
                fields = {}
                for item in line.split(";"):
                    parts = item.split()
                    if len(parts) >= 2:
                        fields[parts[0]] = parts[1]
                if "C" not in fields or "WX" not in fields or "N" not in fields:
                    fail("%s: unreadable metrics line: %s" % (path, line.strip()))
                glyphs[fields["N"]] = (int(fields["C"]), int(fields["WX"]))
            elif section == "StartKernPairs" and words[0] == "KPX":
                if len(words) != 4:
                    fail("%s: unreadable kerning line: %s" % (path, line.strip()))
                kerning.append((words[1], words[2], int(words[3])))
    if not glyphs:
        fail("%s: no character metrics found" % path)
    return glyphs, kerning


def main():
    afm_dir = sys.argv[1] if len(sys.argv) > 1 else DEFAULT_AFM_DIR
    output = sys.argv[2] if len(sys.argv) > 2 else DEFAULT_OUTPUT

    fonts = []
    for _, file_name in STYLES:
        path = os.path.join(afm_dir, file_name)
        if not os.path.exists(path):
            fail("missing %s (install texlive-fonts-recommended)" % path)
        fonts.append(read_afm(path))

    # Width rows by StandardEncoding code; every style must encode the same glyphs.
    rows = {}
    regular_glyphs = fonts[0][0]
    for name, (code, _) in regular_glyphs.items():
        if code < 0:
            continue
        if not (32 <= code <= 126 or 161 <= code <= 251):
            fail("glyph %s has the unexpected code %d" % (name, code))
        widths = []
        for (style, _), (glyphs, _) in zip(STYLES, fonts):
            if name not in glyphs or glyphs[name][0] != code:
                fail("glyph %s is not at code %d in the %s font" % (name, code, style))
            widths.append(glyphs[name][1])
        rows[code] = (name, tuple(widths))
    for glyphs, _ in fonts[1:]:
        encoded = sum(1 for code, _ in glyphs.values() if code >= 0)
        if encoded != len(rows):
            fail("the four styles do not encode the same characters")

    for code, expected in EXPECTED_WIDTHS.items():
        if code not in rows or rows[code][1] != expected:
            fail("width row %d is %s, expected %s" % (code, rows.get(code), expected))

    # Kerning pairs of the regular style between encoded glyphs, in file order.
    pairs = []
    for first, second, adjustment in fonts[0][1]:
        if adjustment == 0:
            continue
        if first not in regular_glyphs or second not in regular_glyphs:
            fail("kerning pair %s %s names an unknown glyph" % (first, second))
        first_code = regular_glyphs[first][0]
        second_code = regular_glyphs[second][0]
        if first_code < 0 or second_code < 0:
            continue
        pairs.append((first_code, second_code, adjustment, first, second))

    if len(pairs) != EXPECTED_KERNING_PAIRS:
        fail("found %d kerning pairs, expected %d" % (len(pairs), EXPECTED_KERNING_PAIRS))
    found = {(a, b): adj for a, b, adj, _, _ in pairs}
    if len(found) != len(pairs):
        fail("duplicate kerning pairs")
    for key, expected in EXPECTED_KERNING.items():
        if found.get(key) != expected:
            fail("kerning pair %s is %s, expected %d" % (key, found.get(key), expected))

    out = []
    out.append("// GENERATED by tools/gen_times_metrics.py from Adobe's Times AFM files")
    out.append("// (" + ", ".join(f for _, f in STYLES) + "); do not edit by hand.")
    out.append("//")
    out.append("// Widths in 1/1000 em of the characters of Adobe StandardEncoding at their")
    out.append("// StandardEncoding codes, in the styles regular, bold, italic and bold")
    out.append("// italic, and the non-zero kerning pairs of Times-Roman between encoded")
    out.append("// characters.")
    out.append('#include "foundation/fonts.h"')
    out.append("")
    out.append("namespace {")
    out.append("")
    out.append("constexpr TimesWidthRow kTimesWidthRows[] = {")
    for code in sorted(rows):
        name, widths = rows[code]
        out.append("    {%d, {%d, %d, %d, %d}},  // %s" % ((code,) + widths + (name,)))
    out.append("};")
    out.append("")
    out.append("constexpr TimesKerningPair kTimesKerningPairs[] = {")
    for first_code, second_code, adjustment, first, second in pairs:
        out.append("    {%d, %d, %d},  // %s %s" % (first_code, second_code, adjustment, first, second))
    out.append("};")
    out.append("")
    out.append("}  // namespace")
    out.append("")
    out.append("std::span<const TimesWidthRow> TimesWidthRows() { return kTimesWidthRows; }")
    out.append("")
    out.append("std::span<const TimesKerningPair> TimesKerningPairs() { return kTimesKerningPairs; }")
    out.append("")

    with open(output, "w", encoding="ascii", newline="\n") as target:
        target.write("\n".join(out))
    print("wrote %s: %d width rows, %d kerning pairs" % (output, len(rows), len(pairs)))


if __name__ == "__main__":
    main()
