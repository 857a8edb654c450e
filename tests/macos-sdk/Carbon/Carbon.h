#pragma once
// Carbon: the event manager's hotkeys and handlers (HIToolbox), text input sources, and key
// translation through a Unicode keyboard layout (CarbonCore).

#include <CoreFoundation/CoreFoundation.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef UInt32 FourCharCode;
typedef FourCharCode OSType;
typedef UInt32 OptionBits;
typedef unsigned long ItemCount;
typedef unsigned long ByteCount;
typedef int16_t SInt16;
typedef UInt16 UniChar;
typedef unsigned long UniCharCount;

enum { noErr = 0 };

// Events and their handlers
typedef struct OpaqueEventRef* EventRef;
typedef struct OpaqueEventTargetRef* EventTargetRef;
typedef struct OpaqueEventHandlerRef* EventHandlerRef;
typedef struct OpaqueEventHandlerCallRef* EventHandlerCallRef;
typedef struct OpaqueEventHotKeyRef* EventHotKeyRef;
typedef OSType EventParamName;
typedef OSType EventParamType;

typedef OSStatus (*EventHandlerProcPtr)(EventHandlerCallRef inHandlerCallRef, EventRef inEvent,
                                        void* inUserData);
typedef EventHandlerProcPtr EventHandlerUPP;

struct EventTypeSpec {
    OSType eventClass;
    UInt32 eventKind;
};
typedef struct EventTypeSpec EventTypeSpec;

struct EventHotKeyID {
    OSType signature;
    UInt32 id;
};
typedef struct EventHotKeyID EventHotKeyID;

enum { kEventClassKeyboard = 0x6B657962 }; // 'keyb'
enum { kEventHotKeyPressed = 5 };
enum { kEventParamDirectObject = 0x2D2D2D2D }; // '----'
enum { typeEventHotKeyID = 0x686B6964 };       // 'hkid'
enum { eventNotHandledErr = -9874, eventHotKeyExistsErr = -9878, eventHotKeyInvalidErr = -9879 };

EventTargetRef GetApplicationEventTarget(void);
// Form differs: an inline function in the real headers.
EventHandlerUPP NewEventHandlerUPP(EventHandlerProcPtr userRoutine);
OSStatus InstallEventHandler(EventTargetRef inTarget, EventHandlerUPP inHandler,
                             ItemCount inNumTypes, const EventTypeSpec* inList, void* inUserData,
                             EventHandlerRef* outRef);
OSStatus RemoveEventHandler(EventHandlerRef inHandlerRef);
OSStatus GetEventParameter(EventRef inEvent, EventParamName inName, EventParamType inDesiredType,
                           EventParamType* outActualType, ByteCount inBufferSize,
                           ByteCount* outActualSize, void* outData);
OSStatus RegisterEventHotKey(UInt32 inHotKeyCode, UInt32 inHotKeyModifiers,
                             EventHotKeyID inHotKeyID, EventTargetRef inTarget,
                             OptionBits inOptions, EventHotKeyRef* outRef);
OSStatus UnregisterEventHotKey(EventHotKeyRef inHotKey);

// Text input sources
typedef struct __TISInputSource* TISInputSourceRef;
extern const CFStringRef kTISPropertyUnicodeKeyLayoutData;
TISInputSourceRef TISCopyCurrentASCIICapableKeyboardLayoutInputSource(void);
// Follows the get rule: the property belongs to the source.
void* TISGetInputSourceProperty(TISInputSourceRef inputSource, CFStringRef propertyKey);

// Keyboards and key translation
typedef struct UCKeyboardLayout UCKeyboardLayout;
enum { kUCKeyActionDown = 0 };
enum { kUCKeyTranslateNoDeadKeysBit = 0 };
UInt8 LMGetKbdType(void);
UInt32 KBGetLayoutType(SInt16 iKeyboardType);
OSStatus UCKeyTranslate(const UCKeyboardLayout* keyLayoutPtr, UInt16 virtualKeyCode,
                        UInt16 keyAction, UInt32 modifierKeyState, UInt32 keyboardType,
                        OptionBits keyTranslateOptions, UInt32* deadKeyState,
                        UniCharCount maxStringLength, UniCharCount* actualStringLength,
                        UniChar unicodeString[]);

#ifdef __cplusplus
}
#endif
