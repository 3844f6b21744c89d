// tools/benchmark/make_maximal_registry.cpp: writes the maximal registry as a .reg file.
//   make_maximal_registry FILE [UNRELATED_KEYS]
#include <stdio.h>
#include <stdlib.h>

#include <string>

#include "tools/benchmark/maximal_registry.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        fprintf(stderr, "usage: make_maximal_registry FILE [UNRELATED_KEYS]\n");
        return 2;
    }
    std::string text = MaximalRegistry(argc > 2 ? atoi(argv[2]) : 10000);
    FILE* file = fopen(argv[1], "wb");
    if (file == nullptr || fwrite(text.data(), 1, text.size(), file) != text.size() ||
        fclose(file) != 0) {
        perror(argv[1]);
        return 1;
    }
    return 0;
}
