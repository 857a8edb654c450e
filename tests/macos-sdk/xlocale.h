#pragma once
// Darwin's per-locale variants of the C library's functions, which libc++ includes on a Mac.
// The C library here is the host's (glibc): its <locale.h>, <ctype.h> and <wchar.h> declare
// most of them; the formatted ones below are Darwin's own (printf_l(3), scanf_l(3)).

#include <ctype.h>
#include <locale.h>
#include <stdarg.h>
#include <stddef.h>
#include <stdio.h>
#include <stdlib.h>
#include <wchar.h>

// glibc makes these macros that index the locale's tables; libc++ passes Darwin's null "C
// locale" to them, which only a function accepts.
#undef isdigit_l
#undef isxdigit_l

#ifdef __cplusplus
extern "C" {
#endif

int snprintf_l(char* str, size_t size, locale_t loc, const char* format, ...);
int sscanf_l(const char* str, locale_t loc, const char* format, ...);
int asprintf_l(char** ret, locale_t loc, const char* format, ...);

#ifdef __cplusplus
}
#endif
