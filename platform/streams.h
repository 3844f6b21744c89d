// platform/streams.h: text read from and written to the platform's files, buffered, with the
// line ends of the C library's text mode on Windows.
//
// Every text file the utility writes (the undo folder, the listing, the preview, the log) ends
// its lines in CR LF: DOS's COMMAND.COM and Windows 95's real-mode regedit need them, and the
// undo folder is the way back when only DOS starts. So each LF written goes out as CR LF, on
// both builds. Reading gives CR LF as LF and ends the text at the first Ctrl+Z, as text mode does.
#ifndef KORVALIN_PLATFORM_STREAMS_H
#define KORVALIN_PLATFORM_STREAMS_H

#include <stddef.h>

#include "platform/files.h"

enum { kStreamBufferSize = 512 };

struct TextReader {
    PlatformFile* file;  // null for text in memory, and once the file is used up
    const char* next;    // the unread bytes
    const char* end;
    int ended;  // a Ctrl+Z was read: the text is over for every later read
    // Bytes taken from the text so far, each CR of a CR LF and a closing Ctrl+Z included: what a
    // reader that limits a file's size counts, since the characters read are fewer.
    unsigned long bytesRead;
    char buffer[kStreamBufferSize];
};

// 1: the file is open for reading; 0: it could not be opened.
int OpenTextReader(TextReader* reader, const char* name);
// Reads `length` bytes of memory as if they were a file's (fuzzing, tests).
void OpenTextReaderOnMemory(TextReader* reader, const char* text, size_t length);
// The next character (0 to 255), or -1 at the end of the text.
int ReadTextCharacter(TextReader* reader);
void CloseTextReader(TextReader* reader);

struct TextWriter {
    PlatformFile* file;
    int ownsFile;  // 0: another's file (standard output), left open
    int failed;    // a write failed: nothing more is written, and closing reports it
    unsigned used;
    char buffer[kStreamBufferSize];
};

// 1: the file is created (or emptied) for writing; 0: it could not be.
int OpenTextWriter(TextWriter* writer, const char* name);
// Writes into a file that stays open after CloseTextWriter (standard output).
void OpenTextWriterOn(TextWriter* writer, PlatformFile* file);
void WriteText(TextWriter* writer, const char* text);
void WriteTextBytes(TextWriter* writer, const char* text, size_t length);
// The same as a RegTextSink: `context` is the TextWriter. 1 while nothing has failed.
int WriteTextSink(void* context, const char* text, size_t length);
// Writes out what is buffered. 1 while nothing has failed.
int FlushTextWriter(TextWriter* writer);
// Writes out what is buffered and closes the file. 1 when every byte was written and the file
// closed cleanly, else 0.
int CloseTextWriter(TextWriter* writer);
// As CloseTextWriter, and the disk holds the file before it is closed (FlushFileBuffers).
int CloseTextWriterOnDisk(TextWriter* writer);

#endif
