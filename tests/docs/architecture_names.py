#!/usr/bin/env python3
"""Every name docs/architecture.md gives in code type is one the source has.

Inline code: a path must exist below the work tree; every C++ name in it (`HealthReads`) must
stand as a whole word in src/, in the tests' shared support or in a CMakeLists.txt (the
libraries), and a qualified one (`Refresh::run`) as written, or as a member named in the file
that declares its class. The diagrams: every word shaped like code (camelCase, two capitals,
`::` or `_`) likewise.
Prints each name it cannot find; exits non-zero when there is one.

    tests/docs/architecture_names.py [DOCUMENT]
"""
import pathlib
import re
import sys

ROOT = pathlib.Path(__file__).resolve().parents[2]
WORD = re.compile(r"[A-Za-z_][A-Za-z0-9_]*(?:::[A-Za-z_][A-Za-z0-9_]*)*")
CODE_SHAPED = re.compile(r"^(?:[a-z]+[A-Z]\w*|[A-Z]\w*[A-Z]\w*|\w*_\w*|\w+(?:::\w+)+)$")
PATH = re.compile(r"^[\w.-]+(?:/[\w.-]*)+$|^[\w-]+\.(?:h|cpp|md|sh|json|wxs|rc|mc)$")


def source_texts():
    files = [*ROOT.glob("src/**/*.h"), *ROOT.glob("src/**/*.cpp"), *ROOT.glob("tests/support/**/*.h"),
             *ROOT.glob("**/CMakeLists.txt")]
    return [path.read_text(encoding="utf-8", errors="replace") for path in files
            if "build" not in path.relative_to(ROOT).parts]


def declared(name, texts, words):
    if "::" not in name:
        return name in words
    owner, member = name.rsplit("::", 1)
    owner = owner.rsplit("::", 1)[-1]
    declaration = re.compile(r"\b(?:class|struct|enum class|namespace)\s+" + re.escape(owner) + r"\b")
    return any(name in text or (declaration.search(text) and re.search(r"\b" + re.escape(member) + r"\b", text))
               for text in texts)


def names(document):
    fenced = re.findall(r"^```.*?^```", document, re.S | re.M)
    prose = re.sub(r"^```.*?^```", "", document, flags=re.S | re.M)
    for span in re.findall(r"`([^`\n]+)`", prose):
        if PATH.match(span):
            yield "path", span
        elif not re.search(r"[\s\"'=<>]|^-|^\.", span):  # a name, not a command line or a text
            for word in WORD.findall(span):
                yield "name", word
    for block in fenced:
        for word in WORD.findall(block):
            if CODE_SHAPED.match(word):
                yield "name", word


def missing(document, texts):
    words = set(re.findall(r"[A-Za-z_][A-Za-z0-9_]*", "\n".join(texts)))
    for kind, name in names(document):
        if kind == "path":
            path = name.rstrip("/")
            if not any((ROOT / base / path).exists() for base in ("", "src", "docs")):
                yield name
        elif not declared(name, texts, words):
            yield name


def main(arguments):
    document = pathlib.Path(arguments[0]) if arguments else ROOT / "docs/architecture.md"
    unknown = sorted(set(missing(document.read_text(encoding="utf-8"), source_texts())))
    for name in unknown:
        print(f"{document.name}: no such name in the source: {name}")
    return 1 if unknown else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
