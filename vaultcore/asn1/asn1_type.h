#pragma once
// The ASN.1 value object model. Every value is a CASN1Type; three bases
// carry all the mechanics:
//   CASN1_PRIMITIVE_TYPE   a value held as its contents octets;
//   CASN1_CONSTRUCTED_TYPE a value held as a list of owned components, or as
//                          contents octets when it was met in primitive form;
//   CASN1_TAGGED           a value whose type is not known yet: components, or
//                          a reference to its contents inside an encoding.
// Values encode through a CBufferedFilterNS stage and decode from a
// CDEREncoding. A constructed value owns its components; operations that
// take a component pointer adopt it.
//
// Reading a value (encoding, dumping, comparing, validating, handing out its
// contents) never moves the position of the encoding it was decoded from, so
// a stream of concatenated values decodes value by value whatever is done
// with the values already decoded.
//
// Threads: a value, with its whole tree, belongs to one thread at a time,
// also for const operations (const accessors convert components in place,
// and referenced contents are read through the position of the shared
// encoding). Values decoded from one encoding may go to different threads
// only when that encoding is no longer read or written by anyone: its
// reference count is atomic, its position is not.
#include "vaultcore/asn1/buffered_filter.h"
#include "vaultcore/asn1/der_encoding.h"

class CDigestMaker;
class CCryptoProcessor;
class CASN1_TAGGED;

// Identifier octet: class bits, constructed bit, tag number.
const unsigned char kASN1ClassMask = 0xC0;
const unsigned char kASN1Universal = 0x00;
const unsigned char kASN1Application = 0x40;
const unsigned char kASN1ContextSpecific = 0x80;
const unsigned char kASN1Private = 0xC0;
const unsigned char kASN1ConstructedBit = 0x20;
const unsigned char kASN1TagNumberMask = 0x1F;
const unsigned char kASN1ClassAndTagMask = 0xDF;

class VAULTCORE_API CASN1Type {
public:
    CASN1Type() = default;
    CASN1Type(const CASN1Type& other) = default;
    CASN1Type& operator=(const CASN1Type& other) = default;

    // Encoders. withoutHeader: contents octets only; useIdentifier: write
    // identifier instead of the stored one.
    virtual void encodeTo(CBufferedFilterNS& stage, int withoutHeader = 0, int useIdentifier = 0,
                          unsigned char identifier = 0) const;
    virtual void encodeTo(CArchive& ar, int withoutHeader = 0, int useIdentifier = 0,
                          unsigned char identifier = 0) const;
    virtual void encodeTo(CDEREncoding& encoding, int withoutHeader = 0, int useIdentifier = 0,
                          unsigned char identifier = 0) const;
    virtual void encodeTo(CFile& file, int withoutHeader = 0, int useIdentifier = 0,
                          unsigned char identifier = 0) const;
    // The clear contents: the value's data without identifiers, lengths or
    // encoding details (an INTEGER without its sign octet, a BIT STRING
    // without its unused-bits octet ...).
    virtual void getClearData(CBufferedFilterNS& stage) const;
    virtual void getClearData(CArchive& ar) const;
    virtual void getClearData(CDEREncoding& encoding) const;
    virtual void getClearData(CFile& file) const;

    virtual ~CASN1Type() = default;
    // Empties the value (contents, components, reference); the form flags stay.
    virtual void clear() = 0;
    // A new deep copy of the same class; the caller owns it.
    virtual CASN1Type* clone() const = 0;
    // A new object of the same class holding this value's contents; this
    // value is left empty.
    virtual CASN1Type* cloneAndDie() = 0;
    // Takes over the source's contents when its identifier equals this
    // value's; the source is deleted either way, also when taking its
    // contents fails (FALSE, this value left empty) or throws. Returns
    // whether it was taken.
    virtual BOOL moveFrom(CASN1Type* source) = 0;

protected:
    friend class CASN1_CONSTRUCTED_TYPE;
    friend class CASN1_TAGGED;
    friend struct CASN1Decoder;
    virtual void addConstructedComponent(CASN1Type* component) = 0;
    virtual void setContents(CDEREncoding& encoding, unsigned long length) = 0;
    virtual BOOL allowsConstructed() const = 0;
    virtual BOOL allowsPrimitive() const = 0;

public:
    // The encoder proper and the clear-contents writer, run inside a stage.
    virtual void writeEncoding(CBufferedFilterNS& stage, int withoutHeader, int useIdentifier,
                               unsigned char identifier) const = 0;
    virtual void writeClearContents(CBufferedFilterNS& stage) const = 0;
    // Tagging: fill a tagged value with this value (implicit: its contents
    // under the tagged value's identifier; explicit: as its one component),
    // and take this value back from a tagged one. The from- operations
    // answer a type mismatch with FALSE and never throw.
    virtual void buildImplicitTAGGED(CASN1_TAGGED& tagged) = 0;
    virtual void buildExplicitTAGGED(CASN1_TAGGED& tagged);
    virtual BOOL fromImplicit(CASN1_TAGGED& tagged) = 0;
    virtual BOOL fromExplicit(CASN1_TAGGED& tagged);
    // Size of the encoding, or of its contents octets only.
    virtual unsigned long getEncodedLength(int contentsOnly) const = 0;
    virtual unsigned long getClearContentsLength() const = 0;
    // Behaviour flags; a constructed value passes them on to its components.
    virtual void OnOffAlignLeft(int on) const { m_bAlignLeft = on; }
    virtual void OnOffClearAfterGet(int on) const { m_bClearAfterGet = on; }
    virtual void OnOffSorted(int on) const { m_bSorted = on; }
    // Human-readable listing of the value tree.
    virtual void Dump(unsigned long indent, CFile* file) const = 0;

    // clear, then the typed decoder at the encoding's position.
    void decodeFrom(CDEREncoding& encoding);
    // The complete encoding (array sized to getEncodedLength(0)).
    void encodeTo(CByteArray& bytes) const;
    // Streams the encoding into a digest and completes it.
    void digestEncoding(CDigestMaker& digest, int withoutHeader = 0, int useIdentifier = 0,
                        unsigned char identifier = 0) const;
    // Streams the encoding, or the clear contents, through a cipher processor
    // into a file, an encoding, an archive or another stage.
    void encryptEncoding(CCryptoProcessor& processor, CFile& out, int withoutHeader = 0) const;
    void encryptEncoding(CCryptoProcessor& processor, CDEREncoding& out, int withoutHeader = 0) const;
    void encryptEncoding(CCryptoProcessor& processor, CArchive& out, int withoutHeader = 0) const;
    void encryptEncoding(CCryptoProcessor& processor, CBufferedFilterNS& out, int withoutHeader = 0) const;
    void decryptEncoding(CCryptoProcessor& processor, CFile& out, int withoutHeader = 0) const;
    void decryptEncoding(CCryptoProcessor& processor, CDEREncoding& out, int withoutHeader = 0) const;
    void decryptEncoding(CCryptoProcessor& processor, CArchive& out, int withoutHeader = 0) const;
    void decryptEncoding(CCryptoProcessor& processor, CBufferedFilterNS& out, int withoutHeader = 0) const;
    void encryptClearContents(CCryptoProcessor& processor, CFile& out) const;
    void encryptClearContents(CCryptoProcessor& processor, CDEREncoding& out) const;
    void encryptClearContents(CCryptoProcessor& processor, CArchive& out) const;
    void encryptClearContents(CCryptoProcessor& processor, CBufferedFilterNS& out) const;
    void decryptClearContents(CCryptoProcessor& processor, CFile& out) const;
    void decryptClearContents(CCryptoProcessor& processor, CDEREncoding& out) const;
    void decryptClearContents(CCryptoProcessor& processor, CArchive& out) const;
    void decryptClearContents(CCryptoProcessor& processor, CBufferedFilterNS& out) const;
    // The clear contents as text.
    void GetString(CString& text) const;
    // The clear contents into a caller's buffer: FALSE (nothing written)
    // when it is smaller than the clear contents; else written at its start
    // (alignLeft) or end, the rest zero-filled when zeroFill is set.
    BOOL GetClearData(unsigned char* buffer, unsigned long size, int alignLeft, int zeroFill) const;
    void GetClearData(CByteArray& bytes, int alignLeft) const;
    // Archive form: a marker octet 0, then the DER encoding as a byte array.
    void _Serialize(CArchive& ar);
    BOOL isSorted() const { return m_bSorted; }

    unsigned char getIdentifier() const { return m_identifier; }
    void setIdentifier(unsigned char identifier) { m_identifier = identifier; }
    BOOL isConstructed() const { return m_bConstructed; }
    void setConstructed(BOOL constructed) { m_bConstructed = constructed; }
    BOOL isIndefinite() const { return m_bIndefinite; }
    void setIndefinite(BOOL indefinite) { m_bIndefinite = indefinite; }
    BOOL isAlignLeft() const { return m_bAlignLeft; }
    BOOL isClearAfterGet() const { return m_bClearAfterGet; }

protected:
    // Header line of the diagnostic listing.
    void dumpHeader(unsigned long indent, CFile* file) const;
    // Writes identifier and length octets for contentsLength octets.
    void writeHeader(CBufferedFilterNS& stage, int useIdentifier, unsigned char identifier, unsigned long contentsLength) const;

    unsigned char m_identifier = 0;
    BOOL m_bConstructed = FALSE;
    BOOL m_bIndefinite = FALSE;
    mutable BOOL m_bAlignLeft = TRUE;
    mutable BOOL m_bClearAfterGet = FALSE;
    mutable BOOL m_bSorted = FALSE;
};

template <class T>
T* ___convertComponent(CTypedPtrArray<CPtrArray, CASN1Type*>& components, int index);

// A value held as its contents octets.
class VAULTCORE_API CASN1_PRIMITIVE_TYPE : public CASN1Type, public CByteArrayPro {
public:
    CASN1_PRIMITIVE_TYPE() = default;
    CASN1_PRIMITIVE_TYPE(const CASN1_PRIMITIVE_TYPE& other);
    CASN1_PRIMITIVE_TYPE& operator=(const CASN1_PRIMITIVE_TYPE& other);

    void clear() override;
    CASN1Type* clone() const override;
    CASN1Type* cloneAndDie() override;
    BOOL moveFrom(CASN1Type* source) override;
    void writeEncoding(CBufferedFilterNS& stage, int withoutHeader, int useIdentifier,
                       unsigned char identifier) const override;
    void writeClearContents(CBufferedFilterNS& stage) const override;
    void buildImplicitTAGGED(CASN1_TAGGED& tagged) override;
    BOOL fromImplicit(CASN1_TAGGED& tagged) override;
    unsigned long getEncodedLength(int contentsOnly) const override;
    unsigned long getClearContentsLength() const override;
    void Dump(unsigned long indent, CFile* file) const override;

    // Contents octets.
    const unsigned char* contentsData() const { return GetData(); }
    unsigned long contentsLength() const { return (unsigned long)GetSize(); }
    void setContentsBytes(const unsigned char* data, unsigned long length);

protected:
    template <class T>
    friend T* ___convertComponent(CTypedPtrArray<CPtrArray, CASN1Type*>& components, int index);
    void addConstructedComponent(CASN1Type* component) override;
    void setContents(CDEREncoding& encoding, unsigned long length) override;
    BOOL allowsConstructed() const override { return FALSE; }
    BOOL allowsPrimitive() const override { return TRUE; }
    // Moves the contents, components and own fields of source into this
    // value; every concrete class extends it with its own fields. When it
    // fails, it does so before the source is changed.
    virtual void takeContentsFrom(CASN1Type& source);
    // Hex-and-text listing of the contents octets.
    void dumpContents(unsigned long indent, CFile* file) const;
};

typedef CTypedPtrArray<CPtrArray, CASN1Type*> CASN1TypeArray;

// A value held as owned components, or as contents octets when met in
// primitive form.
class VAULTCORE_API CASN1_CONSTRUCTED_TYPE : public CASN1_PRIMITIVE_TYPE {
public:
    CASN1_CONSTRUCTED_TYPE() = default;
    CASN1_CONSTRUCTED_TYPE(const CASN1_CONSTRUCTED_TYPE& other);
    CASN1_CONSTRUCTED_TYPE& operator=(const CASN1_CONSTRUCTED_TYPE& other);
    ~CASN1_CONSTRUCTED_TYPE() override;

    void clear() override;
    CASN1Type* clone() const override;
    CASN1Type* cloneAndDie() override;
    void writeEncoding(CBufferedFilterNS& stage, int withoutHeader, int useIdentifier,
                       unsigned char identifier) const override;
    void writeClearContents(CBufferedFilterNS& stage) const override;
    void buildImplicitTAGGED(CASN1_TAGGED& tagged) override;
    BOOL fromImplicit(CASN1_TAGGED& tagged) override;
    unsigned long getEncodedLength(int contentsOnly) const override;
    unsigned long getClearContentsLength() const override;
    void OnOffAlignLeft(int on) const override;
    void OnOffClearAfterGet(int on) const override;
    void OnOffSorted(int on) const override;
    void Dump(unsigned long indent, CFile* file) const override;

    // Appends a component and takes ownership of it.
    virtual void AddObject(CASN1Type* component);

    int getComponentCount() const { return m_components.GetSize(); }
    CASN1Type* getComponentAt(int index) const { return m_components.GetAt(index); }
    // Removes the component from the array without deleting it.
    CASN1Type* detachComponentAt(int index);
    // Deletes every component.
    void removeAllComponents();

protected:
    void addConstructedComponent(CASN1Type* component) override;
    BOOL allowsConstructed() const override { return TRUE; }
    BOOL allowsPrimitive() const override { return TRUE; }
    void takeContentsFrom(CASN1Type& source) override;
    void copyComponentsFrom(const CASN1_CONSTRUCTED_TYPE& other);
    unsigned long componentsLength() const;

    CASN1TypeArray m_components;
};

// A value whose type is not known yet, kept with its identifier: components
// when it was constructed, else a reference to its contents inside the
// encoding it came from (nothing is copied until a typed value takes them).
class VAULTCORE_API CASN1_TAGGED : public CASN1_CONSTRUCTED_TYPE {
public:
    CASN1_TAGGED();
    CASN1_TAGGED(unsigned char identifier, int indefinite);
    CASN1_TAGGED(const CASN1_TAGGED& other);
    CASN1_TAGGED& operator=(const CASN1_TAGGED& other);
    ~CASN1_TAGGED() override;

    void clear() override;
    CASN1Type* clone() const override;
    CASN1Type* cloneAndDie() override;
    void writeEncoding(CBufferedFilterNS& stage, int withoutHeader, int useIdentifier,
                       unsigned char identifier) const override;
    void writeClearContents(CBufferedFilterNS& stage) const override;
    void buildImplicitTAGGED(CASN1_TAGGED& tagged) override;
    unsigned long getEncodedLength(int contentsOnly) const override;
    unsigned long getClearContentsLength() const override;

    CDEREncoding* getReference() const { return m_pEncoding; }
    unsigned long getReferenceLength() const { return m_dwLength; }
    unsigned long getReferencePosition() const { return m_dwPosition; }
    // Refers to length octets of encoding from position (adds a reference).
    void setReference(CDEREncoding* encoding, unsigned long position, unsigned long length);
    void releaseReference();
    // Writes the referenced octets into a stage, or copies them into an
    // array. Neither moves the referenced encoding's position; octets
    // missing from it fail with the decoding exception.
    void writeReferenced(CBufferedFilterNS& stage) const;
    void readReferenced(CByteArray& bytes) const;

protected:
    friend class CASN1_PRIMITIVE_TYPE;
    void addConstructedComponent(CASN1Type* component) override;
    void setContents(CDEREncoding& encoding, unsigned long length) override;
    void takeContentsFrom(CASN1Type& source) override;

    CDEREncoding* m_pEncoding = nullptr;
    uint32_t m_dwLength = 0;
    uint32_t m_dwPosition = 0;
};

// Every concrete value class declares and implements clone and cloneAndDie
// with these two macros.
#define DECLARE_ASN1_COPY(class_name)             \
public:                                           \
    CASN1Type* clone() const override;            \
    CASN1Type* cloneAndDie() override;

#define IMPLEMENT_ASN1_COPY(class_name)                                  \
    CASN1Type* class_name::clone() const { return new class_name(*this); } \
    CASN1Type* class_name::cloneAndDie()                                 \
    {                                                                    \
        class_name* fresh = new class_name;                              \
        fresh->CASN1Type::operator=(*this);                              \
        fresh->takeContentsFrom(*this);                                  \
        return fresh;                                                    \
    }

// The typed decoder: decodes the value at the encoding's position into value.
VAULTCORE_API void ___buildFromEncoding(CASN1Type& value, CDEREncoding& encoding);
// The generic decoder: a new value of the class the identifier names
// (unknown identifiers give CASN1_TAGGED); the caller owns it.
VAULTCORE_API CASN1Type* ___buildFromEncoding(CDEREncoding& encoding);
// Reads only the contents of a value whose identifier and length octets were
// read already and whose form flags are set.
VAULTCORE_API void ___getContentsFromEncoding(CASN1Type& value, CDEREncoding& encoding, unsigned long length);
// A new empty value for an identifier.
VAULTCORE_API CASN1Type* ___makeASN1Class(unsigned char identifier);
// Order of two values by their encodings: -1, 0 or 1.
VAULTCORE_API int ___cmp(const CASN1Type& a, const CASN1Type& b);
