// portcheck/check_pattern.cpp: the bytes the data check sends through the loopback plug.
#include "portcheck/port_check.h"

// Every byte value first, so a line that drops or bends one bit pattern shows at once; then
// PRBS-9, the 511-bit sequence bit-error testers send, for the runs of bits a counter lacks.
void MakeTestPattern(unsigned char* pattern, int size) {
    unsigned state = 0x1ff;
    for (int i = 0; i < size; ++i) {
        if (i < 256) {
            pattern[i] = static_cast<unsigned char>(i);
            continue;
        }
        unsigned byte = 0;
        for (int bit = 0; bit < 8; ++bit) {
            unsigned out = ((state >> 8) ^ (state >> 4)) & 1;
            state = ((state << 1) | out) & 0x1ff;
            byte |= out << bit;
        }
        pattern[i] = static_cast<unsigned char>(byte);
    }
}
