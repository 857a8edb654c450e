#pragma once
// The Objective-C runtime's C interface: classes, selectors and methods looked up by name.

#ifndef __OBJC__
typedef struct objc_class* Class;
typedef struct objc_object* id;
typedef struct objc_selector* SEL;
#endif
typedef struct objc_method* Method;
typedef void (*IMP)(void);

#ifdef __cplusplus
extern "C" {
#endif

Class objc_getClass(const char* name);
SEL sel_registerName(const char* str);
Method class_getInstanceMethod(Class cls, SEL name);
Method class_getClassMethod(Class cls, SEL name);
IMP method_getImplementation(Method m);

#ifdef __cplusplus
}
#endif
