#pragma once
// The built-in object classes as written: superclasses by name and the MUST
// and MAY attribute lists as blank-separated attribute names. The registry
// turns each row into a record when the library loads.

struct OBJECT_CLASS_ROW {
    const char* name;
    const char* oid;
    const char* superclass1;  // name of an earlier row, or null
    const char* superclass2;  // name of an earlier row, or null
    const char* must;         // attribute names, blank-separated, or null
    const char* may;          // attribute names, blank-separated, or null
};

constexpr int OBJECT_CLASS_COUNT = 39;

extern const OBJECT_CLASS_ROW g_objectClasses[OBJECT_CLASS_COUNT];
