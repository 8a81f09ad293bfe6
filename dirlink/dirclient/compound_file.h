#pragma once
// Compound files (the structured-storage format hosts keep their settings
// in) on disk, read and written with libgsf. A file is read whole into
// memory when opened; its streams are then read and written in memory, and
// the whole file is written back through a temporary file renamed over it,
// so a failure or crash leaves either the old file or the new one.
//
// When changes reach the disk: in direct mode at every Commit of a stream
// or storage and when the last object of the file is released; in
// transacted mode (STGM_TRANSACTED) only at Commit of the root storage, and
// releasing without it discards them. A rewritten file keeps the class ids
// of its storages; element time stamps and state bits are not kept.
//
// Sharing: the modes are enforced between openers through advisory locks
// on the file: an opener that writes, or that denies reading, excludes every
// other; readers share. A conflict answers STG_E_SHAREVIOLATION.
// Streams must be opened with STGM_SHARE_EXCLUSIVE, and once at a time.
#include "dirlink/dirlink_export.h"
#include "platform/afx.h"

// Creates a compound file at the path (a new temporary file in the
// temporary folder when name is null) and returns its root storage. Without
// STGM_CREATE an existing file is refused with STG_E_FILEALREADYEXISTS.
// The mode must allow writing.
DIRLINK_API HRESULT StgCreateDocfile(const char* name, DWORD mode, DWORD reserved, IStorage** storage);

// Opens an existing compound file. Streams named in exclude (of the root
// storage) open empty. A file that is not a compound file answers
// STG_E_FILEALREADYEXISTS; a damaged one STG_E_DOCFILECORRUPT.
DIRLINK_API HRESULT StgOpenStorage(const char* name, IStorage* priority, DWORD mode, SNB exclude, DWORD reserved,
                                   IStorage** storage);
