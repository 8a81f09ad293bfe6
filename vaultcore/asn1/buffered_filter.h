#pragma once
// CBufferedFilterNS: the 1024-octet output stage through which every encoder
// writes. Octets collect in the buffer and go to the sink a full buffer at a
// time; whole blocks of the caller's data pass to the sink without a copy.
// One concrete stage class per sink; a stage lives on the stack for one run
// and ends with finish(), which hands over the last octets and lets the sink
// conclude (a digest completes, a cipher pads, a comparison decides).
// A stage belongs to the thread running its encoding; the shared exception
// objects that stop a run early carry no state and serve every thread.
#include "vaultcore/asn1/der_encoding.h"

class VAULTCORE_API CBufferedFilterNS {
public:
    explicit CBufferedFilterNS(unsigned long capacity = 1024);
    virtual ~CBufferedFilterNS() = default;
    CBufferedFilterNS(const CBufferedFilterNS&) = delete;
    CBufferedFilterNS& operator=(const CBufferedFilterNS&) = delete;

    // Fill and total back to 0, buffer zeroed.
    virtual void reset();
    // Hands octets to the sink: data/length, or the buffer's fill octets when
    // data is null. final is set on the run's last call only.
    virtual void process(int final, const unsigned char* data, unsigned long length) = 0;

    void write(const unsigned char* data, unsigned long n);
    void writeByte(unsigned char b) { write(&b, 1); }
    void write(const CByteArray& bytes) { write(bytes.GetData(), (unsigned long)bytes.GetSize()); }
    // The final call: process(1, null, 0).
    void finish();

    unsigned long getTotal() const { return m_dwTotal; }

protected:
    // The octets a process call is about: (data, length), or the buffer.
    const unsigned char* blockData(const unsigned char* data) const { return data ? data : m_buffer.GetData(); }
    unsigned long blockLength(const unsigned char* data, unsigned long length) const
    {
        return data ? length : m_dwFill;
    }

    unsigned long m_dwTotal = 0;
    unsigned long m_dwFill = 0;
    unsigned long m_dwCapacity;
    CByteArray m_buffer;
};

// Sink: a file, written at its position.
class VAULTCORE_API CFileFilterNS : public CBufferedFilterNS {
public:
    explicit CFileFilterNS(CFile& file, unsigned long capacity = 1024) : CBufferedFilterNS(capacity), m_file(file) {}
    void process(int final, const unsigned char* data, unsigned long length) override;

private:
    CFile& m_file;
};

// Sink: a DER encoding, written at its position.
class VAULTCORE_API CEncodingFilterNS : public CBufferedFilterNS {
public:
    explicit CEncodingFilterNS(CDEREncoding& encoding, unsigned long capacity = 1024)
        : CBufferedFilterNS(capacity), m_encoding(encoding)
    {
    }
    void process(int final, const unsigned char* data, unsigned long length) override;

private:
    CDEREncoding& m_encoding;
};

// Sink: an archive, as raw octets.
class VAULTCORE_API CArchiveFilterNS : public CBufferedFilterNS {
public:
    explicit CArchiveFilterNS(CArchive& archive, unsigned long capacity = 1024)
        : CBufferedFilterNS(capacity), m_archive(archive)
    {
    }
    void process(int final, const unsigned char* data, unsigned long length) override;

private:
    CArchive& m_archive;
};

// Sink: another stage (chaining). The final call hands over the last octets
// but does not finish the next stage; its creator does.
class VAULTCORE_API CStageFilterNS : public CBufferedFilterNS {
public:
    explicit CStageFilterNS(CBufferedFilterNS& next, unsigned long capacity = 1024)
        : CBufferedFilterNS(capacity), m_next(next)
    {
    }
    void process(int final, const unsigned char* data, unsigned long length) override;

private:
    CBufferedFilterNS& m_next;
};

// Thrown (shared static object, by pointer) by a comparison stage to stop
// the encoding run once the order is decided; never leaves the engine.
class VAULTCORE_API CTerminateCompareException : public CException {
public:
    CTerminateCompareException() : CException(FALSE) {}
    static CTerminateCompareException* shared();
};

// Thrown (shared static object, by pointer) by a checking stage to stop a
// validation run; never leaves the engine.
class VAULTCORE_API CTerminateValidationException : public CException {
public:
    CTerminateValidationException() : CException(FALSE) {}
    static CTerminateValidationException* shared();
};

// Sink: compares the octets with a reference read from a file, as unsigned
// octets, and ends the run at the first difference. result(): -1, 0 or 1.
class VAULTCORE_API CCompareFilterNS : public CBufferedFilterNS {
public:
    explicit CCompareFilterNS(CFile& reference, unsigned long capacity = 1024);
    void process(int final, const unsigned char* data, unsigned long length) override;
    int result() const { return m_result; }

private:
    CFile& m_reference;
    CByteArray m_refBlock;
    int m_result = 0;
};

// Sink: tests every octet with a predicate and ends the run at the first
// block holding a bad one. valid(): no bad octet was seen.
class VAULTCORE_API CCheckFilterNS : public CBufferedFilterNS {
public:
    typedef bool (*OctetTest)(unsigned char);
    explicit CCheckFilterNS(OctetTest test, unsigned long capacity = 1024)
        : CBufferedFilterNS(capacity), m_test(test)
    {
    }
    void process(int final, const unsigned char* data, unsigned long length) override;
    bool valid() const { return m_valid; }

private:
    OctetTest m_test;
    bool m_valid = true;
};
