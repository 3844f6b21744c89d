// rename/rename_texts.h: what renaming tells the user: its refusals, in a message box with the
// caption every message box of the utility has (this is the lowest part of the utility that
// shows one).
#ifndef KORVALIN_RENAME_RENAME_TEXTS_H
#define KORVALIN_RENAME_RENAME_TEXTS_H

// The caption of every message box the utility shows.
inline constexpr char kMessageCaption[] = "Varnak TessalineBoard Information";

// A refused rename; %s is the name the refusal is about, and the only conversion.
inline constexpr char kNameInUseText[] = "COM Port=[%s] is already being used!";
inline constexpr char kNameTooLongText[] = "COM Port name [%s] is too long!";
inline constexpr char kNumberTooLargeText[] = "COM Port number in [%s] is too large!";
// Without a %s: no name is at fault.
inline constexpr char kTooManyPortNamesText[] =
    "This machine holds more COM port names than korvalin can check, so no port is renamed.";

#endif
