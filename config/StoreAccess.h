// Whether this process may write the stored configuration, asked of the registry without writing.
#pragma once

// False when the registry refuses this process, for want of rights, a write-access open of the
// key that a write of the configuration first creates its keys below (the nearest of the
// configuration root and its parents that exists): then every host write goes through the
// elevated helper, and the OK that saves carries the consent shield. True otherwise, also when the
// registry fails in another way (the write then says what happened). Writes nothing; any thread.
bool MayWriteStore();
