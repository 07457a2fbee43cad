// Names as the file systems spell them, as the table spells them, and as the
// player reads them.
#pragma once

#include <string>
#include <string_view>

namespace vornhaskel {

// Whether two names are the same but for the case of ASCII letters, as Windows
// compares names.
bool EqualIgnoringCase(std::string_view a, std::string_view b);

// Whether a name found on disk may stand for `wanted`, a file or folder name
// of the table: the same ignoring ASCII case, or so once a doubled ".wav" is
// taken off its end ("x.mod.wav.wav" for "x.mod.wav", as Windows makes it when
// it hides extensions).
bool MayStandFor(std::string_view found, std::string_view wanted);

// Why a name found on disk does not come back letter for letter through a
// path of the table's form: only valid UTF-8 without U+FFFD (the mark of a
// name that Windows could not spell in UTF-8) and without a backslash does.
enum class Unspelt { kNo, kBackslash, kReplacementCharacter, kNotUtf8 };
Unspelt WhyNotSpelt(std::string_view name);

// Whether `text` is valid UTF-8 throughout.
bool IsUtf8(std::string_view text);

// `text` with each ASCII control character, and each byte that is no UTF-8
// character, written as "\xNN", and each other control character, line or
// paragraph separator and invisible format character (a bidirectional control,
// a zero-width space, a soft hyphen, ...) as "\uNNNN": nothing in a name can
// start a line of its own in a list, hide in it, or turn the rest of a row
// around.
std::string Printable(std::string_view text);

// A path of the table's form ("MyMod\streamsounds") with this platform's
// separator, printable: as the dialogs show it.
std::string ShownPath(std::string_view path);

// A shown path or name as a sentence holds it. On Linux it is set left to
// right and isolated from the words around it (a left-to-right mark, then
// U+2066 ... U+2069), so that a folder named in a right-to-left script can
// neither reorder the sentence nor, at its start, lay the whole row right to
// left: GTK takes a row's direction from its first letter, even inside an
// isolate. Windows' controls lay a sentence out left to right as it is, and
// those of Windows 7 know no isolates: there it is kept as it is.
std::string InSentence(std::string shown);

// A sentence for a terminal, which sets out no paragraphs, without the marks
// that InSentence added: a name's own are written out, so none is lost.
std::string WithoutMarks(std::string sentence);

}  // namespace vornhaskel
