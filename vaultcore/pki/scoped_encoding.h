#pragma once
// An encoding held for one scope and released at its end (values decoded
// from it may keep references of their own, and with them the octets).
#include "vaultcore/asn1/der_encoding.h"

class CScopedEncoding {
public:
    // Over octets the caller keeps alive for as long as the encoding is used.
    CScopedEncoding(const unsigned char* data, unsigned long size)
        : m_encoding(new CDEREncoding(TRUE, const_cast<unsigned char*>(data), size, FALSE, FALSE))
    {
        m_encoding->AddRef();
    }
    // Over the array's octets, which the encoding takes over (the array is
    // left empty).
    explicit CScopedEncoding(CByteArrayPro& octets) : m_encoding(adopt(octets)) { m_encoding->AddRef(); }
    ~CScopedEncoding() { m_encoding->Release(); }
    CScopedEncoding(const CScopedEncoding&) = delete;
    CScopedEncoding& operator=(const CScopedEncoding&) = delete;
    CDEREncoding& operator*() { return *m_encoding; }

private:
    static CDEREncoding* adopt(CByteArrayPro& octets)
    {
        const unsigned long size = (unsigned long)octets.GetSize();
        if (size == 0)
            return new CDEREncoding(TRUE);
        return new CDEREncoding(TRUE, octets.Detach(), size, TRUE, FALSE);
    }

    CDEREncoding* m_encoding;
};
