#pragma once
// The compound-file format in memory: a tree of storages and streams, made
// from the format's bytes and turned back into them with libgsf.
#include <memory>
#include <string>
#include <vector>

#include "platform/afx.h"

namespace compound_format {

// Largest stream: the format's streams count their size in 32 bits, and
// streams here are held in memory, below 2 GiB.
const ULONGLONG kMaxStreamSize = 0x7FFFFFFF;

// A storage (with its elements) or a stream (with its bytes).
struct Element {
    bool isStorage = false;
    std::string name;
    std::vector<BYTE> bytes;                        // a stream's contents
    std::vector<std::shared_ptr<Element>> children;  // a storage's elements
    BYTE clsid[16] = {};
    bool streamOpen = false;  // a stream object is open on it

    std::shared_ptr<Element> find(const std::string& wanted) const
    {
        for (const auto& child : children)
            if (child->name == wanted)
                return child;
        return nullptr;
    }
};

// A valid element name: UTF-8 text of 1 to 31 UTF-16 units without the
// characters the format reserves ('/', '\\', ':', '!').
bool IsValidElementName(const char* name);

// The tree of a compound file's bytes; streams of the root named in exclude
// come out empty. STG_E_FILEALREADYEXISTS when the bytes are not a compound
// file, STG_E_DOCFILECORRUPT when they are a damaged one.
HRESULT Decode(const std::vector<BYTE>& bytes, SNB exclude, Element& root);
// The bytes of a compound file holding the tree.
HRESULT Encode(const Element& root, std::vector<BYTE>& bytes);

}  // namespace compound_format
