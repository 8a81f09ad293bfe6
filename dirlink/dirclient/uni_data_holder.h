#pragma once
// CUniDataHolder: one reference-counted byte string of the directory client
// (an attribute value, an extended-operation value, a filter assertion), text
// or binary alike. Bytes are opaque: no terminator is stored and no
// character set is implied; matching is plain byte comparison.
#include "dirlink/dirclient/referable.h"

class DIRLINK_API CUniDataHolder : public IReferable {
protected:
    CUniDataHolder();
    ~CUniDataHolder() override;

public:
    // A new holder with count 1 whose buffer has n bytes and whose size is n
    // (the bytes are zero until written); n = 0 gives no buffer.
    static CUniDataHolder* Create(unsigned long n);
    // A new holder with count 1 holding a copy of these bytes
    // (size = capacity); the read-only flag starts 0.
    CUniDataHolder* Clone() const;
    // Put(other, other.GetSize()).
    CUniDataHolder& operator=(const CUniDataHolder& other);

    // Size 0, buffer freed.
    void Clear() override;
    // "CUniDataHolder".
    virtual const char* GetName() const;

    // Clear, then takes p (allocated with malloc) as the buffer with
    // size = capacity = n; the holder frees it later.
    void Attach(void* p, unsigned long n);
    // Forgets the buffer without freeing it and returns it; the holder is
    // empty afterwards.
    void* Detach();

    unsigned long GetSize() const { return m_size; }
    // The held bytes (null when there is no buffer); valid until the next
    // change of the holder.
    const unsigned char* GetData() const { return m_data; }
    // Stores a flag for the holder's user and returns the previous one;
    // nothing here consults it.
    int SetReadOnly(int readOnly) const;

    // Reading out: every Get delivers count = min(n, size - offset) bytes
    // from offset and returns count (0 when there is no buffer or offset is
    // at or beyond the end).
    unsigned long Get(void* target, unsigned long n, unsigned long offset) const;
    unsigned long Get(CFile& file, unsigned long n, unsigned long offset) const;
    unsigned long Get(CArchive& ar, unsigned long n, unsigned long offset) const;
    // The string becomes exactly the count bytes delivered.
    unsigned long Get(CString& text, unsigned long n, unsigned long offset) const;
    // The target's Put of the count bytes.
    unsigned long Get(CUniDataHolder& target, unsigned long n, unsigned long offset) const;

    // Writing in, replacing the content; each returns the new size. When n
    // exceeds the capacity a buffer of exactly n bytes replaces the old one,
    // otherwise the buffer is reused. File and archive sources deliver up to
    // n bytes (size becomes the number read); their buffer grows with the
    // data that actually arrives, so a claimed length costs no memory until
    // the bytes are there.
    unsigned long Put(const void* source, unsigned long n);
    unsigned long Put(CFile& file, unsigned long n);
    unsigned long Put(CArchive& ar, unsigned long n);
    // The characters up to the terminating zero (not included).
    unsigned long Put(const char* text);
    unsigned long Put(const CUniDataHolder& source, unsigned long n);

    // Appending: the same sources; the bytes held so far stay in front.
    // Returns the new size.
    unsigned long Append(const void* source, unsigned long n);
    unsigned long Append(CFile& file, unsigned long n);
    unsigned long Append(CArchive& ar, unsigned long n);
    unsigned long Append(const char* text);
    unsigned long Append(const CUniDataHolder& source, unsigned long n);

    // Compares the bytes from offset to the end with the n given bytes as
    // unsigned values: -1, 0 or 1; on an equal common part the longer side
    // is the greater.
    int Cmp(unsigned long offset, const unsigned char* bytes, unsigned long n) const;
    // 1 when the bytes begin (end) with p's bytes; an empty p gives 1, a p
    // longer than the holder 0.
    int HasInitial(const CUniDataHolder& p) const;
    int HasFinal(const CUniDataHolder& p) const;
    // The smallest position q >= start at which p's bytes occur, or -1; an
    // empty p gives 1.
    int HasSubstring(int start, const CUniDataHolder& p) const;

    // Archive form: u8 version 0, u32 size, the bytes. Loading fails with the
    // archive's end-of-file exception when fewer bytes follow than the size
    // claims, before allocating for them.
    void Serialize(CArchive& ar);

protected:
    // Makes room for `needed` bytes, keeping the first `keep` bytes.
    void reserve(unsigned long needed, unsigned long keep);
    // Reads up to n bytes through `read` to data + start, growing the buffer
    // as they arrive (exactly start + n bytes when that fits one step).
    template <class Reader>
    unsigned long readAt(unsigned long start, unsigned long n, Reader read);

    mutable int32_t m_readOnly;
    uint32_t m_size;
    uint32_t m_capacity;
    unsigned char* m_data;
};

// Equality of two values of an attribute type: values of DN syntax compare
// as distinguished names (AreEqualDn answering 1), all others byte for byte.
DIRLINK_API int MatchEquality(const char* type, const CUniDataHolder& a, const CUniDataHolder& b);

// Owning arrays of values: DestructElements releases each non-null value
// and nulls its slot; CopyElements copies nothing (deep copies clone value
// by value); SerializeElements writes u8 version 0 and per slot a presence
// byte (1 and the value's archive form, 0 for a null slot).
typedef CArray<CUniDataHolder*, CUniDataHolder*> CUniDataHolderArray;
template <>
DIRLINK_API void DestructElements<CUniDataHolder*>(CUniDataHolder** elements, int count);
template <>
DIRLINK_API void CopyElements<CUniDataHolder*>(CUniDataHolder** dest, CUniDataHolder* const* src, int count);
template <>
DIRLINK_API void SerializeElements<CUniDataHolder*>(CArchive& ar, CUniDataHolder** elements, int count);
