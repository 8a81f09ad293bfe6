#pragma once
// The DES block function shared by the single and triple DES classes;
// internal to the library.
//
// The halves are kept rotated right by one bit, so that the eight 6-bit
// inputs of the S-boxes are read from the half and from the half rotated
// right by four bits at bit offsets 26, 18, 10 and 2 (S-boxes 1, 3, 5, 7 and
// 8, 2, 4, 6). A round key is two words holding the matching 6-bit key
// groups at the same offsets.
#include <cstring>

#include "platform/types.h"
#include "vaultcore/crypto/des_tab.h"

namespace des_core {

inline DWORD rotr(DWORD x, unsigned n)
{
    return (x >> n) | (x << (32 - n));
}

inline DWORD loadBE(const unsigned char* p)
{
    return ((DWORD)p[0] << 24) | ((DWORD)p[1] << 16) | ((DWORD)p[2] << 8) | p[3];
}

inline void storeBE(unsigned char* p, DWORD v)
{
    p[0] = (unsigned char)(v >> 24);
    p[1] = (unsigned char)(v >> 16);
    p[2] = (unsigned char)(v >> 8);
    p[3] = (unsigned char)v;
}

// Exchanges the bits of a selected by m << n with the bits of b selected by m.
inline void deltaSwap(DWORD& a, DWORD& b, unsigned n, DWORD m)
{
    const DWORD t = ((a >> n) ^ b) & m;
    b ^= t;
    a ^= t << n;
}

// Initial permutation of the block (l = bytes 0-3, r = bytes 4-7), leaving
// both halves rotated right by one bit.
inline void initialPermutation(DWORD& l, DWORD& r)
{
    deltaSwap(l, r, 4, 0x0f0f0f0f);
    deltaSwap(l, r, 16, 0x0000ffff);
    deltaSwap(r, l, 2, 0x33333333);
    deltaSwap(r, l, 8, 0x00ff00ff);
    deltaSwap(l, r, 1, 0x55555555);
    l = rotr(l, 1);
    r = rotr(r, 1);
}

// Inverse of initialPermutation.
inline void finalPermutation(DWORD& l, DWORD& r)
{
    l = rotr(l, 31);
    r = rotr(r, 31);
    deltaSwap(l, r, 1, 0x55555555);
    deltaSwap(r, l, 8, 0x00ff00ff);
    deltaSwap(r, l, 2, 0x33333333);
    deltaSwap(l, r, 16, 0x0000ffff);
    deltaSwap(l, r, 4, 0x0f0f0f0f);
}

// Entry of SP table i at byte offset off (the 6-bit index times 4): the
// groups sit at bits 2-7 of each byte of the round input, so masking with
// 0xfc yields the offset without a shift.
inline DWORD spAt(int i, DWORD off)
{
    DWORD v;
    std::memcpy(&v, reinterpret_cast<const unsigned char*>(kDesSP[i]) + off, sizeof v);
    return v;
}

inline DWORD feistel(DWORD r, DWORD k0, DWORD k1)
{
    const DWORD u = r ^ k0;
    const DWORD t = rotr(r, 4) ^ k1;
    // A balanced tree of exclusive ors keeps the dependency chain short.
    const DWORD a = spAt(0, (u >> 24) & 0xfc) ^ spAt(2, (u >> 16) & 0xfc);
    const DWORD b = spAt(4, (u >> 8) & 0xfc) ^ spAt(6, u & 0xfc);
    const DWORD c = spAt(7, (t >> 24) & 0xfc) ^ spAt(1, (t >> 16) & 0xfc);
    const DWORD d = spAt(3, (t >> 8) & 0xfc) ^ spAt(5, t & 0xfc);
    return (a ^ b) ^ (c ^ d);
}

// The 16 rounds with schedule ks (32 words), ending with the exchange of
// the halves, so that schedules can follow each other (triple DES).
inline void rounds(DWORD& l, DWORD& r, const DWORD* ks)
{
#pragma GCC unroll 8
    for (int i = 0; i < 32; i += 4) {
        l ^= feistel(r, ks[i], ks[i + 1]);
        r ^= feistel(l, ks[i + 2], ks[i + 3]);
    }
    const DWORD t = l;
    l = r;
    r = t;
}

// Encryption and decryption schedules of an 8-byte key (parity bits ignored).
void keySchedule(const unsigned char* key, DWORD* encrypt, DWORD* decrypt);

}  // namespace des_core
