#pragma once
// Reading the files the tools are given: raw bytes, and DER taken out of
// PEM armour (-----BEGIN ...----- base64 -----END ...-----) when present.
#include <string>
#include <vector>

// Reads the whole file; false (with a reason in error) when it cannot.
bool readWholeFile(const std::string& path, std::vector<unsigned char>& bytes, std::string& error);

// When bytes hold PEM armour, replaces them by the DER of the first block
// and returns true; leaves them alone and returns true when there is no
// armour; false with a reason when the armour is broken.
bool unwrapPem(std::vector<unsigned char>& bytes, std::string& error);
