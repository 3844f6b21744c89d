// setup/setup_texts.h: the saved setup file's words and what the reader says of a bad file.
//
// The writer and the reader take the key words from here, so that what one writes the other
// reads. A message follows "line N: "; "%s" marks where a piece of the line goes.
#ifndef KORVALIN_SETUP_SETUP_TEXTS_H
#define KORVALIN_SETUP_SETUP_TEXTS_H

// The keys. The version key's line comes first; X- keys are anyone's and passed over.
const char kSetupVersionKey[] = "KORVALIN-SETUP";
const char kSetupBoardKey[] = "BOARD";
const char kSetupPortKey[] = "PORT";
const char kSetupOwnKeyPrefix[] = "X-";
const char kSetupCommentStart = ';';

// The version line's value: kSetupVersion.
const char kSetupVersionText[] = "1";
// The second line: its zeros are where the writer puts the date and time, YYYY-MM-DD HH:MM.
const char kSetupWrittenText[] = "; Written by korvalin on 0000-00-00 00:00\n";

const char kSetupLinePrefix[] = "line ";
const char kSetupNotSetupText[] = "not a korvalin setup file";
const char kSetupNewerText[] = "setup version %s is newer than this korvalin reads";
const char kSetupUnknownKeyText[] = "unknown key %s (a key of your own starts with X-)";
const char kSetupPortFirstText[] = "PORT before any BOARD";
const char kSetupNoIdText[] = "no ID# after the board type";
const char kSetupLongIdText[] = "ID# %s is too long";
const char kSetupNoTypeText[] = "no board type is called %s";
const char kSetupManyBoardsText[] = "more than 8 boards";  // kMaxBoards
const char kSetupNoPlaceText[] = "PORT needs a place and a name";
const char kSetupBadPlaceText[] = "port place %s is not a whole number";
const char kSetupNoSuchPlaceText[] = "no %s has a port %s";
const char kSetupTwiceText[] = "port %s is given twice for this board";
const char kSetupNoNameText[] = "no name after port %s";
const char kSetupNulText[] = "a NUL byte in the line";
const char kSetupLongLineText[] = "over 255 characters";       // kSetupLineLimit
const char kSetupLargeFileText[] = "the file is over 64 KiB";  // kSetupFileLimit

#endif
