#!/usr/bin/env python3
"""The rule for statics: in the folders below, no function keeps state in a
static variable.  A function-level static there is a constant (`constexpr`,
or `const` as an object: a `const char*` may be pointed elsewhere, a
`const char* const` may not); state that a routine keeps from call to call
(a scratch buffer whose room it reuses, a list built on first use and
extended) belongs to the object that runs the routine.  See "State and
statics" in ARCHITECTURE.md.

Static members of classes and statics at namespace level are not function
statics; a static inside a lambda is one, wherever the lambda stands.

Usage: check_statics.py [ROOT [FOLDER ...]]   (ROOT holds src/; the default is
the folder above this script's; the folders, under src/, default to those of
FOLDERS)
Exit status: 0 when no such static is found, 1 when one is, 2 when a folder
is missing.
"""

import os
import sys

from cpp_source import strip, tokens

FOLDERS = ("tables", "output")
SOURCE_SUFFIXES = (".h", ".hpp", ".cpp", ".cc", ".inc")
CLASS_KEYS = {"class", "struct", "union", "enum"}
# What may stand after a function's parameter list, before its body.
FUNCTION_TAIL = {")", "]", "const", "noexcept", "override", "final", "mutable", "try", "volatile", "&", "&&"}
# Scopes: a function body or a block in one, a class, a namespace, and the
# braces of an initialiser (which belong to the scope around them).
FUNCTION, BLOCK, CLASS, NAMESPACE, INIT = "function", "block", "class", "namespace", "init"


def scope_of_brace(head, inside_function):
    """The kind of scope a "{" opens, from the tokens of its statement
    before it.  Inside a function every brace opens a block (a lambda's body
    too) or a local class."""
    last = head[-1] if head else ""
    if not inside_function and ("namespace" in head or head[:1] == ["extern"]):
        return NAMESPACE
    if any(token in CLASS_KEYS for token in head) and "(" not in head and "=" not in head:
        # "struct S : Base {", "enum class E : int {"; not "void f(struct S* s) {".
        return CLASS
    if inside_function:
        return BLOCK
    # A parameter list's end and what may follow it, a lambda without one,
    # a trailing return type, or the last brace of a constructor's member
    # initialisers ("S() : a{1} {").
    if last in FUNCTION_TAIL or (")" in head and ("->" in head[head.index(")"):] or last == "}")):
        return FUNCTION
    return INIT


def declared_const(declaration):
    """Whether the object a declaration after "static" names (its tokens up
    to the name, the name last) is a constant: constexpr, or const at the
    object's own level: after the last "*" of a pointer, before the "&" of a
    reference, anywhere in a plain type; never inside template arguments."""
    if "constexpr" in declaration:
        return True
    depth = 0
    levels = [[]]  # the words of each pointer level, outside template arguments
    for token in declaration[:-1]:
        if token == "<":
            depth += 1
        elif token == ">":
            depth = max(depth - 1, 0)
        elif token == ">>":
            depth = max(depth - 2, 0)
        elif depth == 0 and token in ("*", "&", "&&"):
            levels.append([token])
        elif depth == 0:
            levels[-1].append(token)
    if len(levels) > 1 and levels[-1][0] in ("&", "&&"):
        return "const" in levels[-2]
    return "const" in levels[-1]


def declaration_after(words, i):
    """The tokens of the declaration whose "static" is words[i], up to and
    with the declared name."""
    declaration = []
    depth = 0
    j = i + 1
    while j < len(words):
        token = words[j][0]
        if depth == 0 and token in ("=", ";", "{", "[", "(", ","):
            break
        depth += {"<": 1, ">": -1, ">>": -2}.get(token, 0)
        depth = max(depth, 0)
        declaration.append(token)
        j += 1
    if j + 1 < len(words) and words[j][0] == "(" and words[j + 1][0] in ("*", "&"):
        # "static int (*handler)(int)": the name is inside the parentheses.
        j += 1
        while j < len(words) and words[j][0] != ")":
            declaration.append(words[j][0])
            j += 1
    return declaration


def check_file(path):
    """(line, declaration) of each function-level static of the file that is
    no constant."""
    with open(path, encoding="utf-8", errors="replace") as f:
        words = list(tokens(strip(f.read())))
    found = []
    stack = []  # the kinds of the scopes open
    head = []  # the tokens of the statement so far
    for i, (word, line) in enumerate(words):
        inside_function = any(kind in (FUNCTION, BLOCK) for kind in stack)
        if word == "{":
            kind = scope_of_brace(head, inside_function)
            stack.append(kind)
            if kind != INIT:
                head = []
        elif word == "}":
            kind = stack.pop() if stack else NAMESPACE
            if kind == INIT:
                head.append(word)
            else:
                head = []
        elif word == ";":
            head = []
        else:
            function_level = stack and stack[-1] in (FUNCTION, BLOCK)
            if word == "static" and function_level and "(" not in head and "=" not in head:
                declaration = declaration_after(words, i)
                if declaration and not declared_const(declaration):
                    found.append((line, " ".join(["static", *declaration]).replace(" :: ", "::")))
            head.append(word)
    return found


def check(root, folders):
    src = os.path.join(root, "src")
    faults = []
    for name in folders:
        top = os.path.join(src, name)
        if not os.path.isdir(top):
            raise OSError(f"src/{name} is no folder")
        for folder, _, files in sorted(os.walk(top)):
            for file in sorted(files):
                if not file.endswith(SOURCE_SUFFIXES):
                    continue
                path = os.path.join(folder, file)
                source = os.path.relpath(path, src).replace(os.sep, "/")
                for line, text in check_file(path):
                    faults.append(f"src/{source}:{line}: a function keeps state in \"{text}\"")
    return faults


def main(argv):
    root = argv[1] if len(argv) > 1 else os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    folders = argv[2:] or list(FOLDERS)
    try:
        faults = check(root, folders)
    except OSError as error:
        print(f"check_statics: {error}", file=sys.stderr)
        return 2
    for fault in faults:
        print(fault, file=sys.stderr)
    where = ", ".join(f"src/{name}/" for name in folders)
    if faults:
        print(f"check_statics: {len(faults)} function-level static(s) written after their initialisation in "
              f"{where}: the state belongs to an object (see \"State and statics\" in ARCHITECTURE.md)",
              file=sys.stderr)
        return 1
    print(f"check_statics: every function-level static in {where} is a constant")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
