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

// The second line, before the date and time "YYYY-MM-DD HH:MM".
const char kSetupWrittenText[] = "; Written by korvalin on ";

const char kSetupLinePrefix[] = "line ";
const char kSetupNotSetupText[] = "not a korvalin setup file";
const char kSetupNewerText[] = "setup version %s is newer than this korvalin reads";
const char kSetupNoKeyText[] = "not a KEY=VALUE line";
const char kSetupUnknownKeyText[] = "unknown key %s (a key of your own starts with X-)";
const char kSetupPortFirstText[] = "PORT before any BOARD";
const char kSetupNoIdText[] = "no ID# after the board type";
const char kSetupLongIdText[] = "ID# %s is too long";
const char kSetupNoTypeText[] = "no board type is called %s";
const char kSetupManyBoardsText[] = "more than %s boards";
const char kSetupNoPlaceText[] = "PORT needs a place and a name";
const char kSetupBadPlaceText[] = "port place %s is not a whole number";
const char kSetupNoSuchPlaceText[] = "no %s has a port %s";
const char kSetupTwiceText[] = "port %s is given twice for this board";
const char kSetupNoNameText[] = "no name after port %s";
const char kSetupNulText[] = "a NUL byte in the line";
const char kSetupLongLineText[] = "over %s characters";
const char kSetupLargeFileText[] = "the file is over %s bytes";

#endif
