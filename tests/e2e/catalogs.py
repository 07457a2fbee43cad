"""The companions' words in a player's language, as the tests expect them: the
catalogs of po/ compiled afresh, read through Python's gettext, and the checks
that a window shows no English sentence and no placeholder left unfilled."""

import gettext
import re
import subprocess
import sys
import tempfile
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "po"))
from catalog_file import read_catalog  # noqa: E402

PO = Path(__file__).resolve().parents[2] / "po"
PLACEHOLDER = re.compile(r"%(?:(\d+)\$)?(s|zu)")


def fill(pattern, *values):
    """A sentence's placeholders filled as the programs fill them: %s in turn, %1$s by place."""
    values = [str(value) for value in values]
    counter = iter(range(len(values)))
    return PLACEHOLDER.sub(lambda m: values[int(m.group(1)) - 1 if m.group(1) else next(counter)], pattern)


def unmarked(caption):
    """A caption as a screen reader names it: without its access key's mark."""
    return re.sub(r"[_&](?=[^_&])", "", caption, count=1)


class Catalog:
    """One language's catalog; English where `language` is None."""

    def __init__(self, language=None):
        self.language = language
        self.translation = gettext.NullTranslations()
        self.english = []
        if language is None:
            return
        folder = Path(tempfile.mkdtemp(prefix=f"vornhaskel-{language}-")) / language / "LC_MESSAGES"
        folder.mkdir(parents=True)
        po = PO / f"{language}.po"
        subprocess.run(["msgfmt", "--check", "-o", str(folder / "vornhaskel.mo"), str(po)], check=True)
        self.translation = gettext.translation("vornhaskel", str(folder.parents[1]), [language])
        self.english = self._english_sentences(po)

    def _(self, message):
        return self.translation.gettext(message)

    def n_(self, singular, plural, n):
        return self.translation.ngettext(singular, plural, n)

    def c_(self, context, message):
        return self.translation.pgettext(context, message)

    @staticmethod
    def _english_sentences(po):
        """The runs of four or more English words in each message that the catalog translates otherwise."""
        runs = []
        for entry in read_catalog(po).values():
            if not entry.msgid or not entry.translated or entry.translations[0] == entry.msgid:
                continue
            runs += [run.strip() for run in PLACEHOLDER.split(entry.msgid) if run and len(run.split()) >= 4]
        return runs

    def assert_speaks(self, case, texts):
        """No English sentence of a translated message and no raw placeholder among `texts`."""
        if self.language is None:
            return
        for text in texts:
            case.assertIsNone(PLACEHOLDER.search(text), f"a placeholder left unfilled in {text!r}")
            for run in self.english:
                case.assertNotIn(run, text, f"English left in the {self.language} window")
