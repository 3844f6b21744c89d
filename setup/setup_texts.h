// setup/setup_texts.h: the saved setup file's words and what the reader says of a bad file.
//
// The writer and the reader take the key words from here, so that what one writes the other
// reads. A message follows "line N: "; "%s" marks where a piece of the line goes.
#ifndef KORVALIN_SETUP_SETUP_TEXTS_H
#define KORVALIN_SETUP_SETUP_TEXTS_H

// The first line, the format and its version (kSetupVersion), read as a whole. Then the keys;
// X- keys are anyone's and passed over.
inline constexpr char kSetupVersionLine[] = "KORVALIN-SETUP=1";
inline constexpr char kSetupBoardKey[] = "BOARD";
inline constexpr char kSetupPortKey[] = "PORT";
inline constexpr char kSetupOwnKeyPrefix[] = "X-";
inline constexpr char kSetupCommentStart = ';';

// The version line's end and the second line: its zeros are where the writer puts the date and
// time, YYYY-MM-DD HH:MM.
inline constexpr char kSetupWrittenText[] = "\n; Written by korvalin on 0000-00-00 00:00\n";

inline constexpr char kSetupLinePrefix[] = "line ";
// The version line is missing, or names another version: either way this korvalin cannot say
// what the file means.
inline constexpr char kSetupNotSetupText[] = "not a version 1 setup file";
inline constexpr char kSetupUnknownKeyText[] = "unknown key %s";
inline constexpr char kSetupPortFirstText[] = "PORT before BOARD";
inline constexpr char kSetupBadBoardText[] = "unknown board or bad ID#: %s";
inline constexpr char kSetupManyBoardsText[] = "over 8 boards";  // kMaxBoards
inline constexpr char kSetupNoPlaceText[] = "PORT lacks place or name";
inline constexpr char kSetupNoSuchPlaceText[] = "no such port %s";  // or not a number
inline constexpr char kSetupTwiceText[] = "port %s is given twice";
inline constexpr char kSetupBadLineText[] = "NUL byte or over 255 characters";  // kSetupLineLimit
inline constexpr char kSetupLargeFileText[] = "file over 64 KiB";               // kSetupFileLimit

#endif
