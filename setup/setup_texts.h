// setup/setup_texts.h: the saved setup file's words and what the reader says of a bad file.
//
// The writer and the reader take the key words from here, so that what one writes the other
// reads. A message follows "line N: "; "%s" marks where a piece of the line goes.
#ifndef KORVALIN_SETUP_SETUP_TEXTS_H
#define KORVALIN_SETUP_SETUP_TEXTS_H

// The keys. The version key's line comes first; X- keys are anyone's and passed over.
inline constexpr char kSetupVersionKey[] = "KORVALIN-SETUP";
inline constexpr char kSetupBoardKey[] = "BOARD";
inline constexpr char kSetupPortKey[] = "PORT";
inline constexpr char kSetupOwnKeyPrefix[] = "X-";
inline constexpr char kSetupCommentStart = ';';

// The version line's value: kSetupVersion.
inline constexpr char kSetupVersionText[] = "1";
// The second line: its zeros are where the writer puts the date and time, YYYY-MM-DD HH:MM.
inline constexpr char kSetupWrittenText[] = "; Written by korvalin on 0000-00-00 00:00\n";

inline constexpr char kSetupLinePrefix[] = "line ";
inline constexpr char kSetupNotSetupText[] = "not a korvalin setup file";
inline constexpr char kSetupNewerText[] = "setup version %s is newer than this korvalin reads";
inline constexpr char kSetupUnknownKeyText[] = "unknown key %s (a key of your own starts with X-)";
inline constexpr char kSetupPortFirstText[] = "PORT before any BOARD";
inline constexpr char kSetupNoIdText[] = "no ID# after the type";
inline constexpr char kSetupLongIdText[] = "ID# %s is too long";
inline constexpr char kSetupNoTypeText[] = "no board type is called %s";
inline constexpr char kSetupManyBoardsText[] = "more than 8 boards";  // kMaxBoards
inline constexpr char kSetupNoPlaceText[] = "PORT needs a place and a name";
inline constexpr char kSetupBadPlaceText[] = "port %s is not a number";
inline constexpr char kSetupNoSuchPlaceText[] = "no %s has a port ";  // and the place
inline constexpr char kSetupTwiceText[] = "port %s is given twice for this board";
inline constexpr char kSetupNoNameText[] = "no name after port %s";
inline constexpr char kSetupNulText[] = "a NUL byte";
inline constexpr char kSetupLongLineText[] = "over 255 characters";       // kSetupLineLimit
inline constexpr char kSetupLargeFileText[] = "the file is over 64 KiB";  // kSetupFileLimit

#endif
