"""The catalogs of po/ as translators hand them in and as the build compiles them.

usage: python3 check_catalogs.py PO_FOLDER MADE_POT LOCALE_FOLDER [CHECK...]
  MADE_POT is the template the build made from the sources; LOCALE_FOLDER the build tree's
  share/locale; each CHECK a class below (all where none is named). Exits with 77 where a
  check was skipped and none failed."""

import gettext
import re
import subprocess
import sys
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from catalog_file import Entry, header, read_catalog, read_languages  # noqa: E402

PO = MADE_POT = LOCALE = None
UPDATE = "cmake --build --preset linux --target update-po"

# What Format fills: %s and %zu, by order or by place (%2$s), and %% for a percent sign.
FILLED = re.compile(r"%(?:%|(?:[1-9][0-9]*\$)?(?:s|zu))")

# Each language's plural form for a count, as its grammar has it.
PLURALS = {
    "zh_CN": lambda n: 0,
    "de": lambda n: int(n != 1),
    "es": lambda n: int(n != 1),
    "fr": lambda n: int(n > 1),
    "pt_BR": lambda n: int(n > 1),
    "ru": lambda n: 0 if n % 10 == 1 and n % 100 != 11 else 1 if 2 <= n % 10 <= 4 and not 12 <= n % 100 <= 14 else 2,
    "pl": lambda n: 0 if n == 1 else 1 if 2 <= n % 10 <= 4 and not 12 <= n % 100 <= 14 else 2,
}


def languages():
    return read_languages(PO)


def catalog(lang):
    return read_catalog(Path(PO, f"{lang}.po"))


def msgfmt(*arguments):
    return subprocess.run(["msgfmt", "-o", "/dev/null", *arguments], capture_output=True, text=True)


def described(entry_key):
    context, msgid = entry_key
    return f"{msgid!r}" + (f" (context {context!r})" if context is not None else "")


class Check(unittest.TestCase):
    longMessage = False  # each failure says what is wrong in its own words


class Template(Check):
    def test_the_committed_template_holds_the_sources_messages(self):
        """Translators work from po/vornhaskel.pot: a message marked in the sources but missing there is
        never translated, and one whose place, comment or format changed is compiled or checked amiss."""
        made, committed = read_catalog(MADE_POT), read_catalog(Path(PO, "vornhaskel.pot"))

        def shape(entry):
            return entry.plural, sorted(entry.flags - {"fuzzy"}), entry.comments, sorted(entry.references)
        new = [key for key in made if key not in committed]
        gone = [key for key in committed if key not in made]
        changed = [key for key in made if key in committed and key[1] and shape(made[key]) != shape(committed[key])]
        lines = [f"{what}: {described(key)}" for what, keys in (("new", new), ("gone", gone), ("changed", changed))
                 for key in keys]
        self.assertFalse(lines, "po/vornhaskel.pot is behind the sources; run\n    " + UPDATE + "\n" + "\n".join(lines))

    def test_every_message_of_the_code_says_where_it_shows(self):
        """xgettext keeps a "Translators:" note only where it stands right above the line of its message: one a
        line away, above an `if`, reaches no translator."""
        made = read_catalog(MADE_POT)
        bare = [described(key) for key, entry in made.items() if key[1] and not entry.comments
                and any(not reference.startswith("resources/") for reference in entry.references)]
        self.assertFalse(bare, "messages without a note for their translators:\n" + "\n".join(bare))


class Catalogs(Check):
    """Each language's po/LANG.po."""

    def test_each_catalog_has_the_templates_messages_where_the_template_has_them(self):
        """The compiled catalogs take the messages that the code shows by their places: a catalog behind the
        template, or that lost its places, leaves messages in English."""
        template = read_catalog(Path(PO, "vornhaskel.pot"))
        for lang in languages():
            with self.subTest(lang):
                entries = catalog(lang)
                faults = [f"missing: {described(key)}" for key in template if key not in entries]
                faults += [f"not in the template: {described(key)}" for key in entries if key not in template]
                faults += [f"other places or plural: {described(key)}" for key, entry in entries.items()
                           if key in template and key[1] and (sorted(entry.references), entry.plural)
                           != (sorted(template[key].references), template[key].plural)]
                self.assertFalse(faults, f"po/{lang}.po is not in step with po/vornhaskel.pot; run\n    {UPDATE}\n"
                                 + "\n".join(faults))

    def test_msgfmt_checks_each_catalog_and_its_placeholders(self):
        """msgfmt --check: the header, the plural forms, and each c-format translation's placeholders the
        English ones, in number and kind."""
        for lang in languages():
            with self.subTest(lang):
                result = msgfmt("--check", str(Path(PO, f"{lang}.po")))
                self.assertEqual(result.returncode, 0, result.stderr)

    def test_every_placeholder_is_one_that_format_fills(self):
        """A placeholder that Format does not know (%d, %-10s) is shown to the player as it is written."""
        for lang in ["en"] + languages():
            with self.subTest(lang):
                entries = read_catalog(Path(PO, "vornhaskel.pot")) if lang == "en" else catalog(lang)
                faults = []
                for key, entry in entries.items():
                    if "c-format" not in entry.flags:
                        continue
                    texts = [entry.msgid, entry.plural or ""] if lang == "en" else entry.translations.values()
                    faults += [f"{described(key)}: {text!r}" for text in texts if "%" in FILLED.sub("", text)]
                self.assertFalse(faults, "\n".join(faults))

    def test_each_header_names_its_language_and_its_plural_rule(self):
        """A wrong plural rule shows "1 files" or the wrong Russian or Polish form for a count."""
        for lang in languages():
            with self.subTest(lang):
                fields = header(catalog(lang))
                self.assertEqual(fields.get("Language"), lang)
                self.assertIn("charset=UTF-8", fields.get("Content-Type", ""))
                self.assertIn(lang, PLURALS, f"add {lang}'s plural forms to this test's table")
                match = re.fullmatch(r"\s*nplurals\s*=\s*(\d+)\s*;\s*plural\s*=(.*?);?\s*",
                                     fields.get("Plural-Forms", ""))
                self.assertTrue(match, fields.get("Plural-Forms"))
                rule, expected = plural_rule(match.group(2)), PLURALS[lang]
                wrong = [n for n in range(1001) if rule(n) != expected(n)]
                self.assertFalse(wrong, f"{match.group(2).strip()} gives the wrong form for {wrong[:10]}")
                self.assertEqual(int(match.group(1)), max(map(expected, range(1001))) + 1)


class AccessKeys(Check):
    def test_captions_sharing_a_context_have_distinct_access_keys_in_every_language(self):
        """Captions of one dialog share a context. Two with the same access key (Win32's `&`, GTK's `_`)
        make Alt+key reach only one of them; a translation that drops the key leaves the keyboard without it.
        An untranslated or fuzzy caption shows in English beside the translated ones, and is taken so."""
        for lang in ["en"] + languages():
            with self.subTest(lang):
                entries = read_catalog(Path(PO, "vornhaskel.pot")) if lang == "en" else catalog(lang)
                faults = access_key_faults(entries, lang == "en")
                self.assertFalse(faults, "\n".join(faults))


class AccessKeyRules(Check):
    def test_what_counts_as_one_key_and_what_as_a_clash(self):
        """Until the sources mark captions, the catalogs hold none: these made-up ones keep the check honest."""
        win32, gtk, shared = ["shell/win32/repair.cpp"], ["shell/gtk/repair.cpp"], ["repair/repair_words.cpp"]
        cases = [  # (captions of one context as (English, translation, where shown), faults expected)
            ([("&Normal music", "&Normale Musik", win32), ("&Mod music", "&Mod-Musik", win32)], 0),
            ([("&Normal music", "&Normale Musik", win32), ("&Mod music", "Mod-&Musik", win32)], 0),
            ([("&Normal music", "&Normale Musik", win32), ("&Mod music", "&normale Mod-Musik", win32)], 1),
            ([("&Normal music", "Normale Musik", win32)], 1),  # the translation lost its key
            ([("&Normal music", "&Normale &Musik", win32)], 1),  # two keys in one caption
            ([("Rock && &Roll", "Rock && &Roll", win32), ("&Remove", "&Entfernen", win32)], 0),  # && is an &
            ([("&Remove", "", win32), ("&Undo", "&Rückgängig", win32)], 1),  # untranslated shows in English
            ([("_Close", "_Закрыть", gtk), ("_Choose…", "_Выбрать…", gtk)], 0),
            ([("_Close", "_Закрыть", gtk), ("_Cancel", "_закрыть", gtk)], 1),  # Cyrillic, case-folded
            ([("_Close", "_Close", gtk), ("&Close", "&Close", win32)], 0),  # one toolkit's key each
            ([("mus_area.wav & more", "mus_area.wav & more", gtk)], 0),  # a GTK caption: & is no key
            ([("取消(&C)", "取消(&C)", shared), ("&Close", "&Close", shared)], 1),  # shared: & marks Win32's
        ]
        for captions, expected in cases:
            with self.subTest(captions):
                entries = {}
                for english, translation, references in captions:
                    entry = Entry(context="dialog", msgid=english, translations={0: translation},
                                  references=references)
                    entries[entry.key] = entry
                self.assertEqual(len(access_key_faults(entries, english=False)), expected,
                                 access_key_faults(entries, english=False))


class Completeness(Check):
    def test_every_message_is_translated(self):
        """An untranslated or fuzzy message shows in English in the middle of the language's others."""
        for lang in languages():
            with self.subTest(lang):
                result = msgfmt("--statistics", str(Path(PO, f"{lang}.po")))
                counts = {kind: int(number) for number, kind in
                          re.findall(r"(\d+) (translated|fuzzy|untranslated)", result.stderr)}
                self.assertTrue(counts.get("translated"), f"po/{lang}.po: {result.stderr.strip()}")
                self.assertFalse(counts.get("fuzzy") or counts.get("untranslated"),
                                 f"po/{lang}.po: {result.stderr.strip()}")


class BuildTree(Check):
    def test_the_built_programs_find_each_compiled_catalog_at_their_share_locale(self):
        """The programs look at ../share/locale from their own folder, in the build tree as once installed."""
        for lang in languages():
            with self.subTest(lang):
                path = Path(LOCALE, lang, "LC_MESSAGES", "vornhaskel.mo")
                with path.open("rb") as compiled:
                    info = gettext.GNUTranslations(compiled).info()
                self.assertEqual(info.get("language"), lang)

    def test_the_launcher_speaks_the_first_of_the_players_languages_that_has_a_catalog(self):
        """As on Windows: LANG read even where its locale is not installed, an English language before a
        translated one keeping English, any Portuguese taking Brazil's catalog, and Singapore's Chinese the
        simplified one; a language without a catalog leaves English."""
        launcher = Path(LOCALE).parents[1] / "gtk" / "vornhaskel-launch"
        usage = "usage: vornhaskel-launch [--repair] [GAME_FOLDER]"
        for env, lang in (({"LANG": "fr_FR.UTF-8"}, "fr"), ({"LANGUAGE": "en_US:pl"}, None),
                          ({"LANGUAGE": "pt_PT"}, "pt_BR"), ({"LANG": "zh_SG.UTF-8"}, "zh_CN"),
                          ({"LANG": "it_IT.UTF-8"}, None), ({"LANGUAGE": "it:de"}, "de"),
                          ({"LC_ALL": "C", "LANGUAGE": "ru"}, "ru"), ({"LANG": "C.UTF-8"}, None)):
            with self.subTest(env=env):
                told = subprocess.run([str(launcher), "a", "b"], env=env, capture_output=True, text=True).stderr
                expected = gettext.translation("vornhaskel", LOCALE, [lang]).gettext(usage) if lang else usage
                self.assertEqual(told.strip(), f"vornhaskel-launch: {expected}")


def access_keys(text, marker):
    """The characters after each lone `marker` (a doubled one stands for itself), case-folded."""
    return [match.group(1).casefold() for match in re.finditer(re.escape(marker) + "(.)", text.replace(marker * 2, ""))]


def marker_of(entry):
    """Win32's `&` or GTK's `_`: by the toolkit whose folder shows the caption, else by its English, where a
    lone `&` marks a Win32 caption and, failing that, a lone `_` a GTK one; None for no caption with a key."""
    folders = {reference.split("/")[1] for reference in entry.references if reference.startswith("shell/")}
    if folders == {"win32"}:
        return "&"
    if folders == {"gtk"}:
        return "_"
    for marker in "&_":
        if access_keys(entry.msgid, marker):
            return marker
    return None


def access_key_faults(entries, english):
    faults, taken = [], {}
    for key, entry in entries.items():
        marker = marker_of(entry)
        if entry.context is None or entry.plural is not None or marker is None:
            continue
        english_keys = access_keys(entry.msgid, marker)
        text = entry.msgid if english else entry.shown()
        keys = access_keys(text, marker)
        if len(keys) > 1:
            faults.append(f"{described(key)}: {text!r} has {len(keys)} access keys")
        elif english_keys and not keys:
            faults.append(f"{described(key)}: {text!r} has no access key")
        for letter in keys[:1]:
            group = taken.setdefault((entry.context, marker), {})
            if letter in group:
                faults.append(f"context {entry.context!r}: {group[letter]!r} and {text!r} share {marker}{letter}")
            group[letter] = text
    return faults


def plural_rule(expression):
    """The C expression of a Plural-Forms header as a function of n."""
    tokens = re.findall(r"\d+|n|&&|\|\||[=!<>]=|[-+*/%<>?:()!]|\S", expression)
    binary = [("||",), ("&&",), ("==", "!="), ("<", ">", "<=", ">="), ("+", "-"), ("*", "/", "%")]
    apply = {"||": lambda a, b: int(bool(a or b)), "&&": lambda a, b: int(bool(a and b)),
             "==": lambda a, b: int(a == b), "!=": lambda a, b: int(a != b), "<": lambda a, b: int(a < b),
             ">": lambda a, b: int(a > b), "<=": lambda a, b: int(a <= b), ">=": lambda a, b: int(a >= b),
             "+": lambda a, b: a + b, "-": lambda a, b: a - b, "*": lambda a, b: a * b,
             "/": lambda a, b: a // b, "%": lambda a, b: a % b}
    at = 0

    def take(expected=None):
        nonlocal at
        if at >= len(tokens) or (expected and tokens[at] != expected):
            raise ValueError(f"cannot read the plural rule {expression!r}")
        at += 1
        return tokens[at - 1]

    def peek():
        return tokens[at] if at < len(tokens) else None

    def conditional():
        test = operation(0)
        if peek() != "?":
            return test
        take("?")
        when, _, otherwise = conditional(), take(":"), conditional()
        return lambda n: when(n) if test(n) else otherwise(n)

    def operation(level):
        if level == len(binary):
            return unary()
        left = operation(level + 1)
        while peek() in binary[level]:
            function, right = apply[take()], operation(level + 1)
            left = (lambda f, a, b: lambda n: f(a(n), b(n)))(function, left, right)
        return left

    def unary():
        token = take()
        if token == "!":
            inner = unary()
            return lambda n: int(not inner(n))
        if token == "(":
            inner = conditional()
            take(")")
            return inner
        if token == "n":
            return lambda n: n
        if token.isdigit():
            return lambda n: int(token)
        raise ValueError(f"cannot read the plural rule {expression!r}")

    rule = conditional()
    if peek() is not None:
        raise ValueError(f"cannot read the plural rule {expression!r}")
    return rule


if __name__ == "__main__":
    PO, MADE_POT, LOCALE, *checks = sys.argv[1:]
    cases = [globals()[name] for name in checks] or [Template, Catalogs, AccessKeys, AccessKeyRules, Completeness, BuildTree]
    suite = unittest.TestSuite(unittest.defaultTestLoader.loadTestsFromTestCase(case) for case in cases)
    result = unittest.TextTestRunner(verbosity=2).run(suite)
    sys.exit(1 if not result.wasSuccessful() else 77 if result.skipped else 0)
