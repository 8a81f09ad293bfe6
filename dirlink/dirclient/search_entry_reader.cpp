#include "dirlink/dirclient/search_entry_reader.h"

#include <memory>

namespace {

// Identifier octets of what an entry message holds.
const unsigned char kSequence = 0x30, kSet = 0x31, kInteger = 0x02, kOctetString = 0x04;
const unsigned char kSearchResEntry = 0x64;  // [APPLICATION 4] constructed

// A bounded view of DER bytes: every read checks the identifier and that the
// length lies within what is left, and accepts lengths only in their
// shortest form (at most four octets).
class DerReader {
public:
    DerReader() = default;
    DerReader(const unsigned char* data, unsigned long size) : m_data(data), m_size(size) {}

    bool empty() const { return m_size == 0; }
    const unsigned char* data() const { return m_data; }
    unsigned long size() const { return m_size; }

    // The element with exactly this identifier octet; its contents in `contents`.
    bool read(unsigned char identifier, DerReader& contents)
    {
        if (m_size < 2 || m_data[0] != identifier)
            return false;
        unsigned long length = m_data[1];
        unsigned long header = 2;
        if (length & 0x80) {
            const unsigned long octets = length & 0x7F;
            if (octets == 0 || octets > 4 || m_size < 2 + octets || m_data[2] == 0)
                return false;
            length = 0;
            for (unsigned long i = 0; i < octets; ++i)
                length = (length << 8) | m_data[2 + i];
            if (length < 0x80)
                return false;  // the short form would do
            header += octets;
        }
        if (length > m_size - header)
            return false;
        contents = DerReader(m_data + header, length);
        m_data += header + length;
        m_size -= header + length;
        return true;
    }

    // A non-negative INTEGER of one to four octets without a superfluous leading zero.
    bool readId(DWORD& value)
    {
        DerReader contents;
        if (!read(kInteger, contents) || contents.m_size == 0 || contents.m_size > 4 || (contents.m_data[0] & 0x80))
            return false;
        if (contents.m_size > 1 && contents.m_data[0] == 0 && !(contents.m_data[1] & 0x80))
            return false;
        value = 0;
        for (unsigned long i = 0; i < contents.m_size; ++i)
            value = (value << 8) | contents.m_data[i];
        return true;
    }

private:
    const unsigned char* m_data = nullptr;
    unsigned long m_size = 0;
};

CString textOf(const DerReader& contents)
{
    return CString((const char*)contents.data(), (int)contents.size());
}

// PartialAttribute ::= SEQUENCE { type OCTET STRING, vals SET OF OCTET STRING }
CAttribute* readAttribute(DerReader& list)
{
    DerReader attribute, type, values, value;
    if (!list.read(kSequence, attribute) || !attribute.read(kOctetString, type) || !attribute.read(kSet, values) ||
        !attribute.empty())
        return nullptr;
    std::unique_ptr<CAttribute> result(new CAttribute);
    result->m_name = textOf(type);
    while (!values.empty()) {
        if (!values.read(kOctetString, value))
            return nullptr;
        result->AddValue(value.data(), value.size());
    }
    return result.release();
}

}  // namespace

BOOL ldapPeekMessageId(const unsigned char* message, unsigned long size, DWORD& messageId)
{
    DerReader whole(message, size), envelope;
    return whole.read(kSequence, envelope) && envelope.readId(messageId);
}

// LDAPMessage ::= SEQUENCE { messageID INTEGER, protocolOp searchResEntry }
// SearchResultEntry ::= [APPLICATION 4] SEQUENCE { objectName OCTET STRING,
//     attributes SEQUENCE OF PartialAttribute }
int ldapReadSearchEntry(const unsigned char* message, unsigned long size, DWORD& messageId, CSearchResult& result)
{
    DerReader whole(message, size), envelope, entry, name, attributes;
    DWORD id = 0;
    if (!whole.read(kSequence, envelope) || !whole.empty() || !envelope.readId(id) ||
        !envelope.read(kSearchResEntry, entry) || !envelope.empty() || !entry.read(kOctetString, name) ||
        !entry.read(kSequence, attributes) || !entry.empty())
        return 0;
    std::unique_ptr<CEntryData> data(new CEntryData);
    data->m_dn = textOf(name);
    while (!attributes.empty()) {
        std::unique_ptr<CAttribute> attribute(readAttribute(attributes));
        if (!attribute)
            return 0;
        data->m_attributes.Add(attribute.get());
        attribute.release();
    }
    result.Clear();
    result.m_kind = CSearchResult::kindEntry;
    result.m_payload = data.release();
    messageId = id;
    return 1;
}
