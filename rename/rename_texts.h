// rename/rename_texts.h: why a rename or a remove is refused, as the dialog's message box and
// the command line's log both say it.
#ifndef KORVALIN_RENAME_RENAME_TEXTS_H
#define KORVALIN_RENAME_RENAME_TEXTS_H

// Remove on a Standard COM Port.
inline constexpr char kCannotRemoveStandardPortText[] =
    "Cannot remove Standard COM Ports\nUse the System Wizard to remove Standard COM Ports";

// A refused rename; %s is the name the refusal is about, and the only conversion.
inline constexpr char kNameInUseText[] = "COM Port=[%s] is already being used!";
// Follows kNameInUseText when the holder spells the name in another letter case; %s is its
// spelling.
inline constexpr char kNameHeldInOtherCaseText[] = " (as %s; Windows ignores letter case)";
inline constexpr char kNameTooLongText[] = "COM Port name [%s] is too long!";
inline constexpr char kNumberTooLargeText[] = "COM Port number in [%s] is too large!";
// Without a %s: no name is at fault.
inline constexpr char kTooManyPortNamesText[] =
    "This machine holds more COM port names than korvalin can check, so no port is renamed.";

// What applying a saved setup says. A refusal begins "line N: " as a bad file's does
// (setup_texts.h), N the saved line it is about; a place no board here has is said as the
// reader says it. A board is shown as its row shows it; %s marks where.
// "<saved board> -> <board here> (by ...)".
inline constexpr char kBoardMatchText[] = "%s -> ";
inline constexpr char kMatchedByIdText[] = "%s (by ID#)";
inline constexpr char kMatchedByOrderText[] = "%s (by order)";
// A saved board; kBoardSkippedText follows when boards with no match may be passed over.
inline constexpr char kNoBoardHereText[] = "%s: no such board here";
inline constexpr char kBoardSkippedText[] = ", skipped";
// A board here that no saved board matched, left as it is.
inline constexpr char kNotInFileText[] = "%s: not in the file";
// The character follows (ShowCharacter).
inline constexpr char kNameCharacterText[] = "COM Port=[%s] cannot hold the character ";
// The other saved line's number follows.
inline constexpr char kNameGivenTwiceText[] = "COM Port=[%s] is also on line ";

// A DOS program opens a port by its device name, and DOS takes none of these in one (nor
// control characters).
inline constexpr char kDosForbiddenCharacters[] = "\"*+,/:;<=>?[\\]|";

#endif
