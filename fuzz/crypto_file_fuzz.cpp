// Arbitrary bytes as an encrypted file under CCryptoFile (DES-CBC with a
// fixed key). The first byte picks the chunk size (8 x (1 + byte % 16)),
// the rest is the file. Only CFileException may leave the constructor; an
// opened file must read back to its length.
#include <cstdint>
#include <vector>

#include "vaultcore/vaultcore.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    static const unsigned char key[8] = {0x01, 0x23, 0x45, 0x67, 0x89, 0xab, 0xcd, 0xef};
    CDESkey k;
    k.Set(key, 8);
    CDESAlgorithm processor(k, 0, nullptr);
    const unsigned long chunk = 8ul * (1 + data[0] % 16);
    CMemFile under;
    under.Write(data + 1, (UINT)(size - 1));
    under.SeekToBegin();
    try {
        CCryptoFile file(&under, processor, chunk, 0);
        std::vector<unsigned char> plain(file.GetLength() + 1);
        if (file.Read(plain.data(), (UINT)plain.size()) != file.GetLength())
            __builtin_trap();
    } catch (CFileException* e) {
        e->Delete();
    }
    return 0;
}
