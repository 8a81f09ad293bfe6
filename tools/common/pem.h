#pragma once
// PEM armour: "-----BEGIN LABEL-----", base64, "-----END LABEL-----".
// A file may hold several blocks, with text between them (ignored); a block
// may stand on one line. Encrypted blocks (a "Proc-Type: 4,ENCRYPTED"
// header, or an "ENCRYPTED PRIVATE KEY") are refused with a message that
// says so, since the tools do not decrypt them.
#include <string>
#include <vector>

struct PemBlock {
    std::string label;
    std::vector<unsigned char> der;
};

// True when the bytes are PEM: "-----BEGIN " with only text before it.
bool LooksLikePem(const std::vector<unsigned char>& bytes);

// Every block, in order; with a label, only the blocks that carry it.
// Throws Failure naming the input and the line for broken armour or base64,
// encrypted blocks, and when no block is found.
std::vector<PemBlock> ReadPemBlocks(const std::vector<unsigned char>& bytes, const std::string& inputName,
                                    const std::string& label = "");

// The DER values of an input: its PEM blocks when it is PEM (with that
// label, when given), else its bytes as one value.
std::vector<std::vector<unsigned char>> DerValues(const std::vector<unsigned char>& bytes,
                                                  const std::string& inputName, const std::string& label = "");

// A PEM block with 64 base64 characters per line.
std::string WritePem(const std::string& label, const std::vector<unsigned char>& der);
