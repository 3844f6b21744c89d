// platform/key_path.h: registry key paths below HKEY_LOCAL_MACHINE, levels separated by '\',
// joined and compared as the registry takes them (names match without regard to ASCII case).
#ifndef KORVALIN_PLATFORM_KEY_PATH_H
#define KORVALIN_PLATFORM_KEY_PATH_H

// `path` (one level or several) below `parent` into `joined` of `size` characters; empty levels
// are dropped. `joined` may be `parent` itself. 1: fits; 0: too long (*joined is then "").
int JoinKeyPath(const char* parent, const char* path, char* joined, unsigned size);

// 1 when `path` is `key` or lies below it, letters compared without regard to case, else 0.
int IsKeyAtOrBelow(const char* path, const char* key);

#endif
