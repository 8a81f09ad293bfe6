#include "common/pem.h"

#include <algorithm>
#include <cstring>

#include "common/command.h"

namespace {
const char kBegin[] = "-----BEGIN ";
const char kEnd[] = "-----END ";
const char kDashes[] = "-----";
const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

int base64Value(char c)
{
    const char* p = c ? std::strchr(kAlphabet, c) : nullptr;
    return p ? (int)(p - kAlphabet) : -1;
}

// Reads one armoured block at a time from the text, keeping the line for messages.
class PemReader {
public:
    PemReader(const std::string& text, const std::string& inputName) : m_text(text), m_name(inputName) {}

    // The next block; false when there is none.
    bool next(PemBlock& block)
    {
        size_t begin = m_text.find(kBegin, m_pos);
        if (begin == std::string::npos)
            return false;
        size_t labelStart = begin + sizeof kBegin - 1;
        size_t labelEnd = m_text.find(kDashes, labelStart);
        if (labelEnd == std::string::npos || m_text.find('\n', labelStart) < labelEnd)
            throw failure(begin, "BEGIN line without its closing dashes");
        block.label = m_text.substr(labelStart, labelEnd - labelStart);
        const std::string endLine = kEnd + block.label + kDashes;
        size_t bodyStart = labelEnd + sizeof kDashes - 1;
        size_t end = m_text.find(endLine, bodyStart);
        if (end == std::string::npos)
            throw failure(begin, "BEGIN " + block.label + " without its END line");
        if (block.label == "ENCRYPTED PRIVATE KEY")
            throw failure(begin, "the key is encrypted (PKCS#8); decrypt it first, e.g. with openssl pkcs8");
        bodyStart = skipHeaders(bodyStart, end);
        block.der = decode(bodyStart, end);
        if (block.der.empty())
            throw failure(begin, "PEM block " + block.label + " is empty");
        m_pos = end + endLine.size();
        return true;
    }

private:
    // Header lines ("Name: value") between the BEGIN line and the base64;
    // encrypted blocks are refused here.
    size_t skipHeaders(size_t pos, size_t end)
    {
        while (pos < end && isBlank(m_text[pos]))
            ++pos;
        while (pos < end) {
            size_t lineEnd = std::min(m_text.find('\n', pos), end);
            std::string line = m_text.substr(pos, lineEnd - pos);
            if (line.find(':') == std::string::npos)
                break;
            if (line.compare(0, 10, "Proc-Type:") == 0 && line.find("ENCRYPTED") != std::string::npos)
                throw failure(pos, "encrypted PEM (Proc-Type: 4,ENCRYPTED) is not supported; decrypt it first, "
                                   "e.g. with openssl rsa or openssl pkey");
            pos = lineEnd + 1;
        }
        return pos;
    }

    std::vector<unsigned char> decode(size_t from, size_t to)
    {
        std::vector<unsigned char> der;
        unsigned accumulator = 0;
        int bits = 0, padding = 0;
        for (size_t i = from; i < to; ++i) {
            char c = m_text[i];
            if (isBlank(c))
                continue;
            int value = base64Value(c);
            if (c == '=' && padding < 2) {
                ++padding;
                continue;
            }
            if (value < 0 || padding)
                throw failure(i, std::string("not valid base64 ('") + c + "')");
            accumulator = (accumulator << 6) | (unsigned)value;
            bits += 6;
            if (bits >= 8) {
                bits -= 8;
                der.push_back((unsigned char)(accumulator >> bits));
            }
        }
        if (bits >= 6)
            throw failure(to, "base64 ends in the middle of a byte");
        return der;
    }

    Failure failure(size_t at, const std::string& what) const
    {
        long line = 1 + std::count(m_text.begin(), m_text.begin() + (long)std::min(at, m_text.size()), '\n');
        return Failure(m_name + ": line " + std::to_string(line) + ": " + what);
    }

    const std::string& m_text;
    const std::string& m_name;
    size_t m_pos = 0;
};
}  // namespace

bool LooksLikePem(const std::vector<unsigned char>& bytes)
{
    auto begin = std::search(bytes.begin(), bytes.end(), kBegin, kBegin + sizeof kBegin - 1);
    return begin != bytes.end() && std::all_of(bytes.begin(), begin, [](unsigned char c) {
               return isBlank((char)c) || (c >= 0x20 && c < 0x7F);
           });
}

std::vector<PemBlock> ReadPemBlocks(const std::vector<unsigned char>& bytes, const std::string& inputName,
                                    const std::string& label)
{
    const std::string text(bytes.begin(), bytes.end());
    PemReader reader(text, inputName);
    std::vector<PemBlock> blocks;
    PemBlock block;
    while (reader.next(block))
        if (label.empty() || block.label == label)
            blocks.push_back(std::move(block));
    if (blocks.empty())
        throw Failure(inputName + ": no PEM block" + (label.empty() ? "" : " labelled " + label));
    return blocks;
}

std::vector<std::vector<unsigned char>> DerValues(const std::vector<unsigned char>& bytes,
                                                  const std::string& inputName, const std::string& label)
{
    std::vector<std::vector<unsigned char>> values;
    if (!LooksLikePem(bytes)) {
        values.push_back(bytes);
        return values;
    }
    for (PemBlock& block : ReadPemBlocks(bytes, inputName, label))
        values.push_back(std::move(block.der));
    return values;
}

std::string WritePem(const std::string& label, const std::vector<unsigned char>& der)
{
    std::string text = kBegin + label + kDashes + "\n";
    std::string line;
    for (size_t i = 0; i < der.size(); i += 3) {
        unsigned group = (unsigned)der[i] << 16;
        if (i + 1 < der.size())
            group |= (unsigned)der[i + 1] << 8;
        if (i + 2 < der.size())
            group |= der[i + 2];
        for (size_t k = 0; k < 4; ++k)
            line += i + k <= der.size() ? kAlphabet[(group >> (18 - 6 * k)) & 63] : '=';
        if (line.size() == 64 || i + 3 >= der.size()) {
            text += line + "\n";
            line.clear();
        }
    }
    return text + kEnd + label + kDashes + "\n";
}
