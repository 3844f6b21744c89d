// modem_lines_preload.c: modem lines for pseudo-terminals, preloaded into a program under Wine.
//
// A pseudo-terminal has no modem lines, so a loopback plug made with socat can never show a
// wiring. Loaded with LD_PRELOAD into the Windows program alone, this answers the modem-line
// ioctls for the terminals KORVALIN_WIRED_TTY names (resolved paths, /dev/pts/N, blank
// between, at most four): for each it keeps DTR and RTS as the program sets them and computes
// CTS, DSR, DCD and RI from KORVALIN_WIRING, e.g. "CTS=RTS DSR=DTR DCD=DTR RI=DTR", each input
// following RTS or DTR, stuck ON, OFF (not wired; an input the wiring leaves out is OFF too),
// on with BOTH outputs or with EITHER, or as four 0/1 readings with neither, DTR alone, RTS
// alone and both on ("RI=0110": on with one output alone, a wiring fault no plug has).
// "DROP=N" makes the plug lose the middle byte of every Nth write, a fault that comes and goes
// (the program is told the whole write went out, as a UART's FIFO would tell it). Without
// KORVALIN_WIRING the terminals keep having no modem lines: their requests go to the C library's
// own ioctl, as every other descriptor's do.
//
// KORVALIN_LINES_RECORD names a file that says what the program did to the far end, rewritten
// as it changes: "sent N" (bytes written to the terminals) and "driven DTR RTS" (the outputs
// whose level a TIOCMSET, TIOCMBIS or TIOCMBIC ever changed; "driven none"). Only changes
// count because Wine's open and close make no modem-line request at all, while every
// SetCommState (a test putting the settings back included) reads all the lines and writes them
// back as the DCB's DTR and RTS controls say: unchanged when the settings are those found.
// Each terminal starts with both outputs on, as a serial port's open raises them.
//
// Wine reads and writes the outputs with TIOCMGET and TIOCMSET, and its WaitCommEvent polls
// TIOCGICOUNT. 32-bit Wine built with 64-bit time calls __ioctl_time64, so both are answered.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <linux/serial.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/ioctl.h>
#include <unistd.h>

typedef int (*IoctlFn)(int, unsigned long, ...);
enum { kTtys = 4, kOutputs = TIOCM_DTR | TIOCM_RTS };

static const struct {
    const char* name;
    int bit;
} kInputs[] = {{"CTS", TIOCM_CTS}, {"DSR", TIOCM_DSR}, {"DCD", TIOCM_CAR}, {"RI", TIOCM_RNG}};

static struct {
    char path[64];
    int outputs;
    struct serial_icounter_struct counts;  // input changes, for WaitCommEvent
} g_ttys[kTtys];
static int g_wired;  // the lines are modelled (KORVALIN_WIRING is set)
// Per input, bit k is its level with the outputs in state k: DTR is 1, RTS 2.
static int g_truth[4];
static const struct {
    const char* name;
    const char* readings;
} kSources[] = {{"RTS", "0011"}, {"DTR", "0101"},  {"ON", "1111"},
                {"OFF", "0000"}, {"BOTH", "0001"}, {"EITHER", "0111"}};
static unsigned long g_sent, g_writes, g_drop_every;
static int g_driven;  // outputs whose level was changed

// A wiring that cannot be read stops the program at once: a typo must not read as "not wired".
__attribute__((noreturn)) static void Refuse(const char* word) {
    fprintf(stderr, "modem_lines_preload: KORVALIN_WIRING: cannot read \"%s\"\n", word);
    _exit(99);
}

__attribute__((constructor)) static void ReadWiring(void) {
    char words[300];
    snprintf(words, sizeof words, "%s", getenv("KORVALIN_WIRED_TTY") ?: "");
    int n = 0;
    for (char* word = strtok(words, " "); word && n < kTtys; word = strtok(NULL, " "), ++n) {
        snprintf(g_ttys[n].path, sizeof g_ttys[n].path, "%s", word);
        g_ttys[n].outputs = kOutputs;
    }
    const char* wiring = getenv("KORVALIN_WIRING");
    g_wired = wiring != NULL;
    snprintf(words, sizeof words, "%s", wiring ?: "");
    for (char* word = strtok(words, " "); word; word = strtok(NULL, " ")) {
        char* from = strchr(word, '=');
        if (from && from - word == 4 && !strncmp(word, "DROP", 4)) {
            g_drop_every = strtoul(from + 1, NULL, 10);
            continue;
        }
        int i = 0;
        while (from && i < 4 &&
               !(strlen(kInputs[i].name) == (size_t)(from - word) &&
                 strncmp(word, kInputs[i].name, from - word) == 0))
            ++i;
        if (!from || i == 4)
            Refuse(word);
        const char* readings = ++from;
        for (size_t k = 0; k < sizeof kSources / sizeof kSources[0]; ++k)
            if (!strcmp(from, kSources[k].name))
                readings = kSources[k].readings;
        if (strlen(readings) != 4 || strspn(readings, "01") != 4)
            Refuse(word);
        for (int k = 0; k < 4; ++k)
            g_truth[i] |= (readings[k] - '0') << k;
    }
}

// Rewritten whole on each change: the program may end without running any exit handler.
static void Record(void) {
    const char* path = getenv("KORVALIN_LINES_RECORD");
    if (!path)
        return;
    char text[64];
    int n = snprintf(text, sizeof text, "sent %lu\ndriven%s%s%s\n", g_sent,
                     g_driven & TIOCM_DTR ? " DTR" : "", g_driven & TIOCM_RTS ? " RTS" : "",
                     g_driven ? "" : " none");
    int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd >= 0) {
        ssize_t (*real)(int, const void*, size_t) = dlsym(RTLD_NEXT, "write");
        if (real(fd, text, n) != n)
            fprintf(stderr, "modem_lines_preload: cannot write %s\n", path);
        close(fd);
    }
}

static int Inputs(int outputs) {
    int lines = 0;
    int state = (outputs & TIOCM_DTR ? 1 : 0) | (outputs & TIOCM_RTS ? 2 : 0);
    for (int i = 0; i < 4; ++i)
        if (g_truth[i] >> state & 1)
            lines |= kInputs[i].bit;
    return lines;
}

// Sets the outputs and counts each input that changed with them, as a UART's counters do.
static void SetOutputs(int tty, int outputs) {
    int before = Inputs(g_ttys[tty].outputs), was = g_ttys[tty].outputs;
    g_ttys[tty].outputs = outputs & kOutputs;
    int changed = before ^ Inputs(g_ttys[tty].outputs);
    g_ttys[tty].counts.cts += !!(changed & TIOCM_CTS);
    g_ttys[tty].counts.dsr += !!(changed & TIOCM_DSR);
    g_ttys[tty].counts.dcd += !!(changed & TIOCM_CAR);
    g_ttys[tty].counts.rng += !!(changed & TIOCM_RNG);
    if (was != g_ttys[tty].outputs) {
        g_driven |= was ^ g_ttys[tty].outputs;
        Record();
    }
}

// The watched terminal FD is open on, or -1.
static int Watched(int fd) {
    if (!g_ttys[0].path[0])
        return -1;
    char path[32], target[64];
    snprintf(path, sizeof path, "/proc/self/fd/%d", fd);
    ssize_t n = readlink(path, target, sizeof target - 1);
    if (n <= 0)
        return -1;
    target[n] = 0;
    for (int i = 0; i < kTtys && g_ttys[i].path[0]; ++i)
        if (strcmp(target, g_ttys[i].path) == 0)
            return i;
    return -1;
}

// 1 when the request was answered here; *result is then the ioctl's.
static int Answer(int fd, unsigned long request, void* arg) {
    if (!g_wired || (request != TIOCMGET && request != TIOCMSET && request != TIOCMBIS &&
                     request != TIOCMBIC && request != TIOCGICOUNT))
        return 0;
    int tty = Watched(fd);
    if (tty < 0)
        return 0;
    int* lines = arg;
    int outputs = g_ttys[tty].outputs;
    if (request == TIOCMGET)
        *lines = outputs | Inputs(outputs);
    else if (request == TIOCMSET)
        SetOutputs(tty, *lines);
    else if (request == TIOCMBIS)
        SetOutputs(tty, outputs | *lines);
    else if (request == TIOCMBIC)
        SetOutputs(tty, outputs & ~*lines);
    else
        memcpy(arg, &g_ttys[tty].counts, sizeof g_ttys[tty].counts);
    return 1;
}

static int Pass(const char* name, int fd, unsigned long request, void* arg) {
    IoctlFn real = (IoctlFn)dlsym(RTLD_NEXT, name);
    if (!real) {
        errno = ENOSYS;
        return -1;
    }
    return real(fd, request, arg);
}

int ioctl(int fd, unsigned long request, ...) {
    va_list args;
    va_start(args, request);
    void* arg = va_arg(args, void*);
    va_end(args);
    return Answer(fd, request, arg) ? 0 : Pass("ioctl", fd, request, arg);
}

int __ioctl_time64(int fd, unsigned long request, ...) {
    va_list args;
    va_start(args, request);
    void* arg = va_arg(args, void*);
    va_end(args);
    return Answer(fd, request, arg) ? 0 : Pass("__ioctl_time64", fd, request, arg);
}

// Wine's serial writes end here (measured on both sides); what the terminal took reached the
// far end.
ssize_t write(int fd, const void* data, size_t size) {
    static ssize_t (*real)(int, const void*, size_t);
    if (!real)
        real = dlsym(RTLD_NEXT, "write");
    if (Watched(fd) < 0)
        return real(fd, data, size);
    size_t half = size / 2;
    if (size > 1 && g_drop_every && ++g_writes % g_drop_every == 0) {
        ssize_t first = real(fd, data, half);
        if (first < (ssize_t)half)
            return first;
        ssize_t rest = real(fd, (const char*)data + half + 1, size - half - 1);
        g_sent += half + (rest > 0 ? rest : 0);
        Record();
        return rest < 0 ? (ssize_t)half : (ssize_t)(half + 1 + rest);
    }
    ssize_t written = real(fd, data, size);
    if (written > 0) {
        g_sent += written;
        Record();
    }
    return written;
}
