// platform/streams.cpp: buffered text over the platform's files (see streams.h).
#include "platform/streams.h"

#include "platform/text.h"

namespace {

const char kTextEnd = 0x1A;  // Ctrl+Z

// Refills the buffer from the file; 0 when nothing is left.
int Refill(TextReader* reader) {
    if (reader->file == nullptr)
        return 0;
    long got = FilesRead(reader->file, reader->buffer, sizeof reader->buffer);
    if (got <= 0) {
        // A read error ends the text as the end of the file does.
        FilesClose(reader->file);
        reader->file = nullptr;
        return 0;
    }
    reader->next = reader->buffer;
    reader->end = reader->buffer + got;
    return 1;
}

int NextByte(TextReader* reader) {
    if (reader->next == reader->end && !Refill(reader))
        return -1;
    ++reader->bytesRead;
    return static_cast<unsigned char>(*reader->next++);
}

void Flush(TextWriter* writer) {
    if (!writer->failed && writer->used > 0 &&
        !FilesWrite(writer->file, writer->buffer, writer->used))
        writer->failed = 1;
    writer->used = 0;
}

void Put(TextWriter* writer, char c) {
    if (writer->used == sizeof writer->buffer)
        Flush(writer);
    writer->buffer[writer->used++] = c;
}

int Close(TextWriter* writer, int onDisk) {
    Flush(writer);
    int good = !writer->failed;
    if (onDisk && good && !FilesFlushToDisk(writer->file))
        good = 0;
    if (writer->ownsFile && writer->file != nullptr)
        good = FilesClose(writer->file) && good;
    writer->file = nullptr;
    return good;
}

}  // namespace

int OpenTextReader(TextReader* reader, const char* name) {
    OpenTextReaderOnMemory(reader, nullptr, 0);
    reader->file = FilesOpenForReading(name);
    return reader->file != nullptr;
}

void OpenTextReaderOnMemory(TextReader* reader, const char* text, size_t length) {
    reader->file = nullptr;
    reader->next = text;
    reader->end = text + length;
    reader->ended = 0;
    reader->bytesRead = 0;
}

int ReadTextCharacter(TextReader* reader) {
    if (reader->ended)
        return -1;
    int c = NextByte(reader);
    if (c == kTextEnd) {
        reader->ended = 1;
        return -1;
    }
    if (c == '\r') {
        // CR LF reads as LF; a CR on its own stays.
        if (reader->next == reader->end && !Refill(reader))
            return c;
        if (*reader->next == '\n')
            return NextByte(reader);
    }
    return c;
}

void CloseTextReader(TextReader* reader) {
    if (reader->file != nullptr)
        FilesClose(reader->file);
    reader->file = nullptr;
}

int OpenTextWriter(TextWriter* writer, const char* name) {
    OpenTextWriterOn(writer, FilesCreate(name));
    writer->ownsFile = 1;
    return writer->file != nullptr;
}

void OpenTextWriterOn(TextWriter* writer, PlatformFile* file) {
    writer->file = file;
    writer->ownsFile = 0;
    writer->failed = file == nullptr;
    writer->used = 0;
}

void WriteTextBytes(TextWriter* writer, const char* text, size_t length) {
    if (writer->failed)
        return;
    for (size_t i = 0; i < length; ++i) {
        if (text[i] == '\n')
            Put(writer, '\r');
        Put(writer, text[i]);
    }
}

void WriteText(TextWriter* writer, const char* text) {
    WriteTextBytes(writer, text, TextLength(text));
}

int WriteTextSink(void* context, const char* text, size_t length) {
    TextWriter* writer = static_cast<TextWriter*>(context);
    WriteTextBytes(writer, text, length);
    return !writer->failed;
}

int FlushTextWriter(TextWriter* writer) {
    Flush(writer);
    return !writer->failed;
}

int CloseTextWriter(TextWriter* writer) {
    return Close(writer, 0);
}

int CloseTextWriterOnDisk(TextWriter* writer) {
    return Close(writer, 1);
}
