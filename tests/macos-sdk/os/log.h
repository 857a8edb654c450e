#pragma once
// The unified log. The real os_log_with_type is a macro that checks its format at compile time
// (form differs: declared here as a function of the same shape).

#ifdef __cplusplus
extern "C" {
#endif

typedef struct os_log_s* os_log_t;
typedef unsigned char os_log_type_t;
enum { OS_LOG_TYPE_DEFAULT = 0x00, OS_LOG_TYPE_INFO = 0x01, OS_LOG_TYPE_ERROR = 0x10 };

os_log_t os_log_create(const char* subsystem, const char* category);
void os_log_with_type(os_log_t log, os_log_type_t type, const char* format, ...);

#ifdef __cplusplus
}
#endif
