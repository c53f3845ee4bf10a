// Whether the stored configuration changed: the registry's change notification on the key above
// the configuration root, asked for again after every change it reports.
#pragma once

#include "platform/WinTypes.h"

class CConfigWatch {
public:
    // Makes no registry call; the first TakeChange starts the watch.
    CConfigWatch() = default;
    // Ends the request and releases its key handle and event.
    ~CConfigWatch();
    CConfigWatch(const CConfigWatch&) = delete;
    CConfigWatch& operator=(const CConfigWatch&) = delete;

    // True when something at or below the configuration root may have changed since the last
    // call that returned true: at the first call, after a reported change, and at every call
    // while no watch could be made. Before returning true the watch is made again, so a change
    // after this call is reported by the next one; what was read before it may be stale, what is
    // read after it is current. The key above the root is watched, so that the root's deletion
    // is reported too; while the root is missing, the key above the nearest one that exists, so
    // that its creation is reported. One thread at a time.
    bool TakeChange();

private:
    void Stop();
    void Start();

    void* m_event = nullptr;
    // The watched key: kept open between calls, since the request ends with its handle.
    HKEY m_key = nullptr;
};
