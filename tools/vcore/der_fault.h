#pragma once
// Finds where DER input is broken by walking only its identifier and length
// octets, so that a decoding failure can be reported as what is wrong with
// the input and at which offset, in terms a user can act on.
#include <cstddef>
#include <string>

struct DerFault {
    size_t offset = 0;
    std::string what;
};

// The first fault in the headers of the values in data[0, size), nested
// values included; false when the headers are sound (the fault then lies in
// some value's contents).
bool FindDerFault(const unsigned char* data, size_t size, DerFault& fault);

// The line for a failed decoding: the fault FindDerFault finds, else the
// decoder's own message with the offset of the value it could not take (or,
// when it names none, the offset where it stopped).
std::string DescribeDecodingFailure(const unsigned char* data, size_t size, size_t decoderOffset,
                                    const char* decoderMessage);
