// The registry service: the handful of ADVAPI32 calls the add-on makes, one method each.
// Every method returns a Win32 error code (ERROR_SUCCESS on success) and leaves its outputs
// untouched on failure unless its contract says otherwise. No method throws. Threads: any thread
// may call any method at any time, as with the Win32 registry (transfer threads read sets while
// the tweak list saves on another); a handle may be used by one thread at a time.
#pragma once

#include <cstdint>

#include "platform/WinTypes.h"

class IRegistry {
public:
    virtual ~IRegistry() = default;

    // RegCreateKeyA: opens subKey below parent, creating it and every missing key above it.
    // A null or empty subKey opens parent itself. *result receives a new handle to close; on
    // failure it is null.
    virtual long CreateKey(HKEY parent, const char* subKey, HKEY* result) = 0;

    // RegOpenKeyA: opens an existing subKey below parent; ERROR_FILE_NOT_FOUND when it is missing.
    // On failure *result is null.
    virtual long OpenKey(HKEY parent, const char* subKey, HKEY* result) = 0;

    // RegOpenKeyExA with KEY_CREATE_SUB_KEY | KEY_SET_VALUE: opens an existing subKey below parent
    // for writing below it, changing nothing. ERROR_ACCESS_DENIED where the caller may not write
    // there, ERROR_FILE_NOT_FOUND when it is missing. On failure *result is null.
    virtual long OpenKeyToWrite(HKEY parent, const char* subKey, HKEY* result) = 0;

    // RegQueryValueExA: name null or empty is the default value. With data null only *type and
    // *size are reported. When *size is too small: ERROR_MORE_DATA, *size set to the need.
    // On success *size is the number of bytes the value holds. type may be null; it reads
    // REG_NONE when the value cannot be read.
    virtual long QueryValue(HKEY key, const char* name, uint32_t* type, uint8_t* data,
                            uint32_t* size) = 0;

    // RegSetValueExA: stores exactly size bytes of data with the given type.
    virtual long SetValue(HKEY key, const char* name, uint32_t type, const uint8_t* data,
                          uint32_t size) = 0;

    // RegEnumKeyA: the name of subkey number index into a buffer of nameSize bytes.
    // ERROR_NO_MORE_ITEMS past the last; ERROR_MORE_DATA when the name does not fit.
    virtual long EnumKey(HKEY key, uint32_t index, char* name, uint32_t nameSize) = 0;

    // RegEnumValueA: value number index. *nameLen is the name buffer's size in characters on
    // input and the name's length without its zero on output. *dataSize likewise for data, which
    // may be null to ask for the size only. ERROR_MORE_DATA when either buffer is too small.
    virtual long EnumValue(HKEY key, uint32_t index, char* name, uint32_t* nameLen,
                           uint32_t* type, uint8_t* data, uint32_t* dataSize) = 0;

    // RegDeleteKeyA: deletes subKey below parent with its values. A key that has subkeys
    // cannot be deleted (ERROR_ACCESS_DENIED).
    virtual long DeleteKey(HKEY parent, const char* subKey) = 0;

    // RegDeleteValueA: deletes the value name of key; ERROR_FILE_NOT_FOUND when it is missing.
    virtual long DeleteValue(HKEY key, const char* name) = 0;

    // RegCloseKey: releases a handle from CreateKey or OpenKey. Predefined roots need no closing.
    // A change request made on the handle ends with it, signalling its event.
    virtual long CloseKey(HKEY key) = 0;

    // RegFlushKey: writes the hive that holds key to disk, returning when it is written.
    virtual long FlushKey(HKEY key) = 0;

    // Takes the writers' turn: one lock shared by every thread of every process of the machine
    // that writes this registry's configuration, which only a process that may write it can take
    // or hold (readers never take it). Waits at most timeoutMs. ERROR_SUCCESS when the turn is
    // taken, also when its last holder ended without giving it back; ERROR_TIMEOUT when the wait
    // ran out; ERROR_ACCESS_DENIED when this process may not take it; any other error when it
    // cannot be had at all (ERROR_INVALID_OWNER: another has taken its name). Nothing is held on
    // failure. A thread that holds the turn may take it again; each success needs one EndTurn on
    // the same thread.
    virtual long BeginTurn(uint32_t timeoutMs) = 0;
    // Gives back one BeginTurn of the calling thread.
    virtual void EndTurn() = 0;

    // RegNotifyChangeKeyValue(key, TRUE, REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET,
    // event, TRUE): asks that event be signalled once, at the first key created or deleted or
    // value set or deleted at or below key; the request then ends and must be made again. The
    // deletion of key itself may signal or not (Wine does not); a caller that must know watches
    // the key above it. key must be a handle from CreateKey or OpenKey, open for as long
    // as the request lasts; event one from CreateChangeEvent. On failure no request is made.
    // Where the system offers it (Windows 8 on) the request outlives the thread that made it;
    // before, it ends with that thread, signalling the event.
    virtual long NotifyChange(HKEY key, void* event) = 0;

    // CreateEventA(nullptr, FALSE, FALSE, nullptr): a new event that resets itself when taken,
    // not signalled; null on failure.
    virtual void* CreateChangeEvent() = 0;

    // WaitForSingleObject(event, 0) == WAIT_OBJECT_0: whether event is signalled, without
    // waiting; a signal is taken by the one call that sees it.
    virtual bool TakeChangeSignal(void* event) = 0;

    // CloseHandle: releases an event from CreateChangeEvent. Null is ignored.
    virtual void CloseChangeEvent(void* event) = 0;
};
