"""Reads the .po and .pot files of po/: the entries gettext compiles, with what the checks compare."""

import re
from dataclasses import dataclass, field
from pathlib import Path

ESCAPES = {"n": "\n", "t": "\t", "r": "\r", '"': '"', "\\": "\\", "a": "\a", "b": "\b", "f": "\f", "v": "\v"}


@dataclass
class Entry:
    context: str | None = None
    msgid: str | None = None
    plural: str | None = None
    translations: dict = field(default_factory=dict)  # {index: text}; a singular's msgstr is index 0
    flags: set = field(default_factory=set)
    comments: list = field(default_factory=list)  # the extracted ones, `#.`, that translators read
    references: list = field(default_factory=list)

    @property
    def key(self):
        return self.context, self.msgid

    @property
    def translated(self):
        """Whether gettext uses this entry's translation: all its forms filled in, and not fuzzy."""
        return "fuzzy" not in self.flags and bool(self.translations) and all(self.translations.values())

    def shown(self):
        """The singular as a player sees it: the translation where gettext uses it, else the English."""
        return self.translations[0] if self.translated else self.msgid


def unquote(text):
    body = text.strip()
    if len(body) < 2 or body[0] != '"' or body[-1] != '"':
        raise ValueError(f"not a quoted string: {text!r}")
    return re.sub(r'\\(.)', lambda m: ESCAPES.get(m.group(1), m.group(1)), body[1:-1])


def read_catalog(path):
    """{(context, msgid): Entry} in the file's order, the header under (None, ""); obsolete entries (#~),
    which gettext never compiles, are left out."""
    entries = {}
    entry, target = Entry(), None

    def finish():
        nonlocal entry, target
        if entry.msgid is not None:
            entries[entry.key] = entry
        entry, target = Entry(), None

    for number, line in enumerate(Path(path).read_text(encoding="utf-8").splitlines(), 1):
        try:
            if line.startswith("#~") or not line.strip():
                if entry.msgid is not None and entry.translations:
                    finish()
                continue
            if (line.startswith("#") or line.startswith("msgctxt") or line.startswith("msgid ")) and entry.translations:
                finish()
            if line.startswith("#."):
                entry.comments.append(line[2:].strip())
            elif line.startswith("#:"):
                entry.references += line[2:].split()
            elif line.startswith("#,"):
                entry.flags |= {flag.strip() for flag in line[2:].split(",")}
            elif line.startswith("#"):
                pass  # the translator's own comments, and the English a fuzzy one had before
            elif line.startswith('"'):
                target(unquote(line))
            else:
                keyword, text = line.split(None, 1)
                target = field_setter(entry, keyword)
                target(unquote(text))
        except (ValueError, TypeError, KeyError) as fault:
            raise ValueError(f"{path}:{number}: cannot read {line!r}: {fault}") from None
    finish()
    return entries


def field_setter(entry, keyword):
    """A function that appends a piece of a string to the entry's field named by `keyword`."""
    if keyword.startswith("msgstr"):
        index = int(keyword[7:-1]) if keyword != "msgstr" else 0
        entry.translations[index] = ""

        def append(text):
            entry.translations[index] += text
        return append
    name = {"msgctxt": "context", "msgid": "msgid", "msgid_plural": "plural"}[keyword]
    setattr(entry, name, "")

    def append_to_field(text):
        setattr(entry, name, getattr(entry, name) + text)
    return append_to_field


def header(entries):
    """The header's fields, {name: value}."""
    text = entries[(None, "")].translations[0]
    return dict(line.split(": ", 1) for line in text.splitlines() if ": " in line)


def read_languages(po_folder):
    """LINGUAS as gettext reads it: names separated by blanks, `#` to the end of a line a comment."""
    text = Path(po_folder, "LINGUAS").read_text()
    return [name for line in text.splitlines() for name in line.split("#", 1)[0].split()]
