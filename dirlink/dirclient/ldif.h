#pragma once
// Extension: LDIF (RFC 2849), the text form of directory entries and of
// changes to them, as the OpenLDAP tools (ldapsearch -L, ldapadd,
// ldapmodify, slapadd) read and write it.
//
// A record is a content record (an entry) or a change record. Its fields
// are the arguments of the request builders:
//   add     ldapCreateAddRequest(id, m_entry.m_dn, m_entry.m_attributes, ...)
//   delete  ldapCreateDeleteRequest(id, m_entry.m_dn, ...)
//   modify  ldapCreateModifyRequest(id, m_entry.m_dn, m_modifications, ...)
//   moddn   ldapModifyDnRequest(id, m_entry.m_dn, m_newRdn, m_deleteOldRdn,
//                               m_newSuperior (null when absent), ...)
#include <vector>

#include "dirlink/dirclient/entry_data.h"
#include "dirlink/dirclient/modification.h"

class DIRLINK_API CLdifRecord {
public:
    // Values of m_changeType.
    enum { changeNone = 0, changeAdd = 1, changeDelete = 2, changeModify = 3, changeModDn = 4 };

    CLdifRecord();
    CLdifRecord(const CLdifRecord& other);
    CLdifRecord& operator=(const CLdifRecord& other);
    ~CLdifRecord();

    // An empty content record.
    void Clear();

    int m_changeType;                     // changeNone for a content record
    CEntryData m_entry;                   // the DN of every record; the attributes of content and add records
    CModificationArray m_modifications;   // modify records: the changes in order
    CString m_newRdn;                     // moddn records
    int m_deleteOldRdn;                   // moddn records: 1 or 0
    CString* m_newSuperior;               // moddn records: owned, null when absent
};

// Appends the entry as a content record: "dn:", one line per non-null value
// of each non-null attribute, then an empty line. Values (and the DN) that
// are not safe strings (a byte above 126 or below 32, a leading space, colon
// or less-than sign, a trailing space) and every userPassword value are
// written in base64 after "::"; lines longer than 78 characters are folded.
// The text is the one ldapsearch -LLL writes for the same entry.
DIRLINK_API void WriteLdifEntry(const CEntryData& entry, CString& out);
// Appends the record: a content record as WriteLdifEntry, a change record
// with its "changetype:" line and the lines of its kind ("add:",
// "delete:" and "replace:" groups each closed by "-"; "newrdn:",
// "deleteoldrdn:" and "newsuperior:"). FALSE, with nothing appended, for an
// unknown change type or a modification operation outside add, delete and
// replace.
DIRLINK_API BOOL WriteLdifRecord(const CLdifRecord& record, CString& out);

// Reads records one after the other from LDIF text: folded lines, comments,
// an optional "version: 1" line, base64 values, CR LF or LF line ends.
// Values given by URL ("attr:< file:///...") and controls are not supported
// and reported as errors. Values of one attribute description (compared
// ignoring case) are gathered in one attribute in their order.
class DIRLINK_API CLdifReader {
public:
    enum { ldifError = -1, ldifEnd = 0, ldifRecord = 1 };

    explicit CLdifReader(const CString& text);

    // ldifRecord and the next record in `record`; ldifEnd after the last
    // one; ldifError for malformed text, with m_errorLine (1-based) and
    // m_error saying where and what. After an error the reader stays at the
    // end.
    int ReadRecord(CLdifRecord& record);

    int m_errorLine;
    CString m_error;

private:
    struct Line {
        int number;
        CString text;
    };
    int fail(int line, const char* message);
    void splitLines(const CString& text);

    std::vector<Line> m_lines;  // logical lines; an empty one ends a record
    size_t m_next;
    bool m_versionChecked;
};
