#pragma once
// The registry of built-in object classes, filled when the library loads in
// the order of the object-class table, so a class's registry index is its row
// there. The MUST and MAY lists of the registered classes hold attribute OIDs.
#include "dirlink/dirlink_export.h"
#include "platform/afx.h"

// The next registry index after `index` (-1 starts at the first class) whose
// OID equals `nameOrOid` exactly, when that is dotted-decimal, or whose name
// equals it case-insensitively; -1 when there is none.
DIRLINK_API int GetNextObjectClass(int index, const char* nameOrOid);

// Fills the non-null outputs from the class at `index`: its OID and name, the
// registry indices of its superclasses (-1 when absent) and its MAY and MUST
// lists (null-terminated arrays of OIDs, or null when empty). Answers 1, or 0
// for an index outside the registry, with every requested output cleared.
DIRLINK_API int GetObjectClassInfo(int index, const char** oid, const char** name, int* superclass1, int* superclass2,
                                   const char*** may, const char*** must);

// True when the attribute type, given as an OID (compared case-insensitively),
// is on the MUST or MAY list of the class or of one of its superclasses.
DIRLINK_API BOOL IsAttributeAllowed(int classIndex, const char* type);

// Checks a set of object classes. Every entry of `classes` must name a known
// class (by name or OID); otherwise `error` says which one is not known, the
// array is left as it was and the answer is 0. On success each entry becomes
// its class OID, and, taking every class from the second onwards as the
// reference in turn, the other entries with the reference's OID or naming one
// of its ancestors are removed; the answer is 1. `attributes` is not examined.
DIRLINK_API int VerifyAttributeSet(CStringArray& classes, CStringArray& attributes, CString& error);
