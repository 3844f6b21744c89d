// modem_lines_preload.c: modem lines for one pseudo-terminal, preloaded into a program under Wine.
//
// A pseudo-terminal has no modem lines, so a loopback plug made with socat can never show a
// wiring. Loaded with LD_PRELOAD into the Windows program alone, this answers the modem-line
// ioctls for the one terminal KORVALIN_WIRED_TTY names (its resolved path, /dev/pts/N): it
// keeps DTR and RTS as the program sets them and computes CTS, DSR, DCD and RI from
// KORVALIN_WIRING, e.g. "CTS=RTS DSR=DTR DCD=DTR RI=DTR", each input following RTS or DTR,
// stuck ON, or OFF (not wired; an input the wiring leaves out is OFF too). Every other
// descriptor and request goes to the C library's own ioctl.
//
// Wine reads and writes the outputs with TIOCMGET and TIOCMSET, and its WaitCommEvent polls
// TIOCGICOUNT. 32-bit Wine built with 64-bit time calls __ioctl_time64, so both are answered.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <linux/serial.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/ioctl.h>
#include <unistd.h>

typedef int (*IoctlFn)(int, unsigned long, ...);

static const struct {
    const char* name;
    int bit;
} kInputs[] = {{"CTS", TIOCM_CTS}, {"DSR", TIOCM_DSR}, {"DCD", TIOCM_CAR}, {"RI", TIOCM_RNG}};

static int g_source[4];  // per input: TIOCM_RTS, TIOCM_DTR, -1 (on) or 0 (off)
static int g_outputs = TIOCM_DTR | TIOCM_RTS;   // a serial port's open raises both
static struct serial_icounter_struct g_counts;  // input changes, for WaitCommEvent
static char g_tty[64];

// A wiring that cannot be read stops the program at once: a typo must not read as "not wired".
__attribute__((noreturn)) static void Refuse(const char* word) {
    fprintf(stderr, "modem_lines_preload: KORVALIN_WIRING: cannot read \"%s\"\n", word);
    _exit(99);
}

__attribute__((constructor)) static void ReadWiring(void) {
    const char* tty = getenv("KORVALIN_WIRED_TTY");
    const char* wiring = getenv("KORVALIN_WIRING");
    if (tty)
        snprintf(g_tty, sizeof g_tty, "%s", tty);
    char words[128];
    snprintf(words, sizeof words, "%s", wiring ? wiring : "");
    for (char* word = strtok(words, " "); word; word = strtok(NULL, " ")) {
        char* from = strchr(word, '=');
        int i = 0;
        while (from && i < 4 &&
               !(strlen(kInputs[i].name) == (size_t)(from - word) &&
                 strncmp(word, kInputs[i].name, from - word) == 0))
            ++i;
        if (!from || i == 4)
            Refuse(word);
        ++from;
        g_source[i] = !strcmp(from, "RTS")   ? TIOCM_RTS
                      : !strcmp(from, "DTR") ? TIOCM_DTR
                      : !strcmp(from, "ON")  ? -1
                      : !strcmp(from, "OFF") ? 0
                                             : (Refuse(word), 0);
    }
}

static int Inputs(void) {
    int lines = 0;
    for (int i = 0; i < 4; ++i)
        if (g_source[i] < 0 || (g_source[i] & g_outputs))
            lines |= kInputs[i].bit;
    return lines;
}

// Sets the outputs and counts each input that changed with them, as a UART's counters do.
static void SetOutputs(int outputs) {
    int before = Inputs();
    g_outputs = outputs & (TIOCM_DTR | TIOCM_RTS);
    int changed = before ^ Inputs();
    g_counts.cts += !!(changed & TIOCM_CTS);
    g_counts.dsr += !!(changed & TIOCM_DSR);
    g_counts.dcd += !!(changed & TIOCM_CAR);
    g_counts.rng += !!(changed & TIOCM_RNG);
}

static int IsWired(int fd) {
    char path[32], target[64];
    snprintf(path, sizeof path, "/proc/self/fd/%d", fd);
    ssize_t n = readlink(path, target, sizeof target - 1);
    if (n <= 0 || !g_tty[0])
        return 0;
    target[n] = 0;
    return strcmp(target, g_tty) == 0;
}

// 1 when the request was answered here; *result is then the ioctl's.
static int Answer(int fd, unsigned long request, void* arg) {
    if (request != TIOCMGET && request != TIOCMSET && request != TIOCMBIS && request != TIOCMBIC &&
        request != TIOCGICOUNT)
        return 0;
    if (!IsWired(fd))
        return 0;
    int* lines = arg;
    if (request == TIOCMGET)
        *lines = g_outputs | Inputs();
    else if (request == TIOCMSET)
        SetOutputs(*lines);
    else if (request == TIOCMBIS)
        SetOutputs(g_outputs | *lines);
    else if (request == TIOCMBIC)
        SetOutputs(g_outputs & ~*lines);
    else
        memcpy(arg, &g_counts, sizeof g_counts);
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
