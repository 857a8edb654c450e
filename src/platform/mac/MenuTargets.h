#pragma once
// Objective-C targets that call C++ functions: a button's action and a menu's items
// (Objective-C++ only).

#include "platform/Menu.h"

#include <AppKit/AppKit.h>

#include <functional>
#include <vector>

@interface NLActionTarget : NSObject
- (void)setCallback:(std::function<void()>)callback;
- (void)fire:(id)sender;
@end

@interface NLMenuTarget : NSObject
// The menu with its items' actions bound to this target, which must outlive it.
- (NSMenu*)menuFor:(const platform::Menu&)menu;
- (void)choose:(NSMenuItem*)sender;
@end
