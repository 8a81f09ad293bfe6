#include "vcore/der_fault.h"

#include <cstdio>

#include "vaultcore/vaultcore.h"

namespace {
// As deep as the library's decoders go.
const int kMaxDepth = 256;

std::string format(const char* pattern, unsigned long a, unsigned long b = 0)
{
    char text[160];
    std::snprintf(text, sizeof text, pattern, a, b);
    return text;
}

class HeaderWalker {
public:
    HeaderWalker(const unsigned char* data, DerFault& fault) : m_data(data), m_fault(fault) {}

    // The values in [pos, end); with untilEndOfContents, up to and past the
    // two zero octets that end an indefinite length. False at a fault.
    bool walk(size_t& pos, size_t end, int depth, bool untilEndOfContents)
    {
        if (depth > kMaxDepth)
            return fault(pos, format("values nested deeper than %lu levels", kMaxDepth));
        while (pos < end) {
            if (untilEndOfContents && pos + 1 < end && m_data[pos] == 0 && m_data[pos + 1] == 0) {
                pos += 2;
                return true;
            }
            if (!value(pos, end, depth))
                return false;
        }
        if (untilEndOfContents)
            return fault(end, "an indefinite-length value has no end-of-contents octets (00 00)");
        return true;
    }

private:
    bool value(size_t& pos, size_t end, int depth)
    {
        const size_t start = pos;
        const unsigned char identifier = m_data[pos++];
        if ((identifier & 0x1F) == 0x1F)
            return fault(start, format("identifier 0x%02lx uses the high tag number form, which is not supported",
                                       identifier));
        if (pos == end)
            return fault(start, "the data ends after an identifier octet; a length octet must follow");
        const unsigned char first = m_data[pos++];
        const bool constructed = identifier & 0x20;
        if (first == 0x80) {
            if (!constructed)
                return fault(start + 1, "a primitive value has an indefinite length (0x80)");
            return walk(pos, end, depth + 1, true);
        }
        unsigned long length = first;
        if (first > 0x80) {
            const unsigned n = first & 0x7F;
            if (n > 4)
                return fault(start + 1, format("the length takes %lu octets; at most 4 are supported", n));
            if (end - pos < n)
                return fault(start + 1, format("the data ends inside a length of %lu octets", n));
            length = 0;
            for (unsigned i = 0; i < n; ++i)
                length = (length << 8) | m_data[pos++];
        }
        if (length > end - pos)
            return fault(start, format("a value of %lu bytes is declared, but only %lu bytes follow its header",
                                       length, (unsigned long)(end - pos)));
        const size_t contentsEnd = pos + length;
        if (constructed && !walk(pos, contentsEnd, depth + 1, false))
            return false;
        pos = contentsEnd;
        return true;
    }

    bool fault(size_t offset, const std::string& what)
    {
        m_fault.offset = offset;
        m_fault.what = what;
        return false;
    }

    const unsigned char* m_data;
    DerFault& m_fault;
};
}  // namespace

bool FindDerFault(const unsigned char* data, size_t size, DerFault& fault)
{
    size_t pos = 0;
    return !HeaderWalker(data, fault).walk(pos, size, 0, false);
}

std::string DescribeDecodingFailure(const unsigned char* data, size_t size, size_t decoderOffset,
                                    const char* decoderMessage)
{
    DerFault fault;
    if (FindDerFault(data, size, fault))
        return "not valid DER at offset " + std::to_string(fault.offset) + ": " + fault.what;
    const long valueOffset = ___lastDERDecodingOffset();
    if (valueOffset >= 0 && (size_t)valueOffset < size)
        return "not valid DER: the contents of the value at offset " + std::to_string(valueOffset) +
               " are malformed (" + decoderMessage + ")";
    return "not valid DER: the value contents before offset " + std::to_string(decoderOffset) +
           " are malformed (" + decoderMessage + ")";
}
