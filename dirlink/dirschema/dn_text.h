#pragma once
// Distinguished names as text ("cn=John Smith, o=Firm, c=US"): validation
// against the attribute-type table, comparison, plain and canonical forms,
// and taking names apart into relative names (RDNs) and attribute-value
// assertions (AVAs) or building them. Malformed text is reported through the
// results; nothing throws except on memory exhaustion.
//
// A DN is valid when it parses and the first AVA of every RDN has a type that
// is a known attribute name or "oid."/"OID." followed by an OID (at least two
// arcs, the first 0-2 and the second 0-39). An AVA written without a type
// after the first of its RDN takes the type of the AVA before it.
#include "dirlink/dirlink_export.h"
#include "platform/afx.h"

// 1 when the text is a valid DN (the empty text is the empty DN), else 0.
DIRLINK_API int IsValidDn(const char* dn);

// 1 when the two DNs are equal, 0 when they differ, -1 when either is empty or
// not valid. RDNs are compared in order; within an RDN the order of AVAs does
// not matter, types are compared by OID (so "mail" and "rfc822Mailbox" are one
// type) and values ignoring case.
DIRLINK_API int AreEqualDn(const char* a, const char* b);

// 1 and `out` = the DN re-formatted (plain form for canonical 0, canonical
// form otherwise); 0 for an invalid DN, `out` left as it was.
DIRLINK_API int ConvertDn(const char* dn, int canonical, CString& out);

// The number of RDNs, or -1 for an invalid DN.
DIRLINK_API int GetRDnCount(const char* dn);

// 1 and `out` = the RDN at `index` in plain form, counted from the right
// (1 is the rightmost RDN); 0 for an invalid DN or an index outside 1..count.
DIRLINK_API int GetRDn(int index, const char* dn, CString& out);

// 1 and `out` = every RDN in the requested form, the rightmost first; 0 for an
// invalid DN, `out` left as it was.
DIRLINK_API int GetAllRDns(const char* dn, CStringArray& out, int canonical);

// `rdn` in front of `dn`: "rdn,dn", or `rdn` alone when `dn` is empty.
DIRLINK_API CString AddRDn(const char* rdn, const char* dn);

// The number of AVAs of the first RDN of the text, or -1 when the text is not
// a valid DN.
DIRLINK_API int GetAvaCount(const char* rdn);

// 1 and `out` = the AVA at 0-based `index` of the first RDN, plain form; 0
// when the text is not a valid DN or the index is out of range.
DIRLINK_API int GetAva(int index, const char* rdn, CString& out);

// 1 and each AVA of the first RDN appended to `out` in text order, plain
// form; 0 when the text is not a valid DN.
DIRLINK_API int GetAllAvas(const char* rdn, CStringArray& out);

// "ava1+ava2".
DIRLINK_API CString AddAva(const char* ava1, const char* ava2);

// 1 when the whole text is one AVA, or several joined by plus signs, with a
// valid type (the later AVAs may leave the type out); 0 otherwise.
DIRLINK_API int IsValidAva(const char* ava);
