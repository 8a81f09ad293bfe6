#pragma once
// COleStream: a stream of a compound file as a CFile (so an archive runs
// over it), which knows its name and whether it holds a stream. Hosts
// create it by class name ("COleStream") or directly and open it inside a
// CStorage with OpenStream or CreateStream. Failing calls throw
// CFileException with the cause from the storage status.
#include "dirlink/dirclient/storage.h"

class DIRLINK_API COleStream : public COleStreamFile {
    DECLARE_DYNCREATE(COleStream)
public:
    // Attaches the stream when given and takes its name from it.
    explicit COleStream(IStream* stream = nullptr);
    // Closes a stream still held.
    ~COleStream() override;

    // Takes over the stream's reference, marks the object attached and
    // reads the stream's name.
    void Attach(IStream* stream) override;
    // Hands the stream back; clears the attached flag and the name.
    IStream* Detach() override;
    const CString& GetName() const { return m_strName; }
    void SetName(const char* name) { m_strName = name; }
    // A new COleStream over a clone of the stream (its own position, the
    // same bytes) with the same attached flag; the caller deletes it.
    COleStream* Clone();
    // Closes the stream when one is held and clears the attached flag.
    void Close() override;
    void Abort() override;

    BOOL m_bAttached = FALSE;
    CString m_strName;
};
