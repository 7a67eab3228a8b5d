"""Reading C++ sources for the checks of tools/: the text with everything
that is not code blanked out, and its tokens with their line numbers."""

import re

TOKEN = re.compile(r"[A-Za-z_][A-Za-z_0-9]*|\d[\w.']*|::|->|&&|>>|\S")


def strip(text):
    """The text with comments, string and character literals and
    preprocessor lines blanked out; line ends stay where they were."""
    out = []
    i, n = 0, len(text)
    line_start = True
    while i < n:
        c = text[i]
        if line_start and c == "#":
            # A preprocessor line, with its continuations.
            while i < n and text[i] != "\n":
                if text[i] == "\\" and i + 1 < n and text[i + 1] == "\n":
                    out.append("\n")
                    i += 2
                    continue
                i += 1
            continue
        if c == "/" and text.startswith("//", i):
            while i < n and text[i] != "\n":
                i += 1
            continue
        if c == "/" and text.startswith("/*", i):
            end = text.find("*/", i + 2)
            end = n if end < 0 else end + 2
            out.append(re.sub(r"[^\n]", " ", text[i:end]))
            i = end
            continue
        raw = re.match(r'(?:u8|[uUL])?R"([^()\\ ]{0,16})\(', text[i:i + 40]) if c in 'uULR' else None
        if raw and (i == 0 or not (text[i - 1].isalnum() or text[i - 1] == "_")):
            close = text.find(")" + raw.group(1) + '"', i + raw.end())
            end = n if close < 0 else close + len(raw.group(1)) + 2
            out.append('""' + re.sub(r"[^\n]", " ", text[i + 2:end]))
            i = end
            continue
        if c in "\"'":
            if c == "'" and i > 0 and text[i - 1].isalnum():
                # A digit separator (1'000).
                out.append(" ")
                i += 1
                continue
            j = i + 1
            while j < n and text[j] != c and text[j] != "\n":
                j += 2 if text[j] == "\\" else 1
            out.append(c + " " * (min(j, n) - i - 1) + c)
            i = j + 1
            continue
        out.append(c)
        line_start = c == "\n" or (line_start and c in " \t")
        i += 1
    return "".join(out)


def tokens(text):
    line = 1
    at = 0
    for match in TOKEN.finditer(text):
        line += text.count("\n", at, match.start())
        at = match.start()
        yield match.group(0), line
