#pragma once
// Mach: this task's own port, the owning task a user client is opened for.

#ifdef __cplusplus
extern "C" {
#endif

typedef unsigned int mach_port_t;

// Form differs: the SDK spells it as a macro over a variable; the call has the same shape.
mach_port_t mach_task_self(void);

#ifdef __cplusplus
}
#endif
