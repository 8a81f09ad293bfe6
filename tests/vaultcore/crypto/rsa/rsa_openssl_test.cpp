// RSA against openssl: signatures of openssl dgst -sign (PKCS #1 v1.5 is
// deterministic), verification of openssl's signatures, key wrapping both
// ways through openssl pkeyutl.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "rsa_test_util.h"

#ifdef VC_HAVE_OPENSSL

namespace {

struct OpensslKey {
    std::string pem;
    CRSAPrivateKey key;
};

class RsaOpenssl : public ::testing::TestWithParam<int> {
protected:
    static void SetUpTestSuite()
    {
        s_dir = new TempDir;
        // 1000 and 1536 bits: primes that do not fill their top limb, and
        // primes of 12 limbs.
        for (int bits : {512, 1000, 1024, 1536, 2048}) {
            OpensslKey* k = new OpensslKey;
            k->pem = s_dir->file("key" + std::to_string(bits) + ".pem");
            ASSERT_TRUE(run("openssl genrsa -out " + k->pem + " " + std::to_string(bits)));
            ASSERT_TRUE(loadOpensslKey(k->pem, k->key));
            s_keys[bits] = k;
        }
        const char* text = "The quick brown fox jumps over the lazy dog, and then some more text.";
        writeBytes(s_dir->file("data"), (const unsigned char*)text, std::strlen(text));
    }
    static void TearDownTestSuite()
    {
        for (auto& entry : s_keys)
            delete entry.second;
        s_keys.clear();
        delete s_dir;
    }

    static Bytes digestOf(EDigestAlgorithm alg)
    {
        const Bytes data = readBytes(s_dir->file("data"));
        Bytes out(20);
        std::unique_ptr<CDigestMaker> maker;
        if (alg == eMD5)
            maker.reset(new CMD5DigestMaker);
        else if (alg == eMD2)
            maker.reset(new CMD2DigestMaker);
        else
            maker.reset(new CSHA1DigestMaker);
        maker->UpdateBlock(data.data(), (int)data.size(), nullptr, 1, 1);
        maker->GetCurrentDigest(out.data());
        out.resize((size_t)DigestLength(alg));
        return out;
    }

    static TempDir* s_dir;
    static std::map<int, OpensslKey*> s_keys;
};

TempDir* RsaOpenssl::s_dir = nullptr;
std::map<int, OpensslKey*> RsaOpenssl::s_keys;

struct Algorithm {
    EDigestAlgorithm code;
    const char* opensslName;
};
const Algorithm kAlgorithms[] = {{eSHA1, "sha1"}, {eMD5, "md5"}};

}  // namespace

TEST_P(RsaOpenssl, LockDigestGivesOpensslSignatureAndUnlockDigestReadsIt)
{
    const OpensslKey& k = *s_keys[GetParam()];
    for (const Algorithm& alg : kAlgorithms) {
        SCOPED_TRACE(alg.opensslName);
        const std::string sigPath = s_dir->file("sig");
        ASSERT_TRUE(run("openssl dgst -" + std::string(alg.opensslName) + " -sign " + k.pem + " -out " + sigPath +
                        " " + s_dir->file("data")));
        const Bytes theirs = readBytes(sigPath);
        const Bytes digest = digestOf(alg.code);

        CByteArray ours;
        k.key.LockDigest(alg.code, digest.data(), ours);
        EXPECT_EQ(hexOf(ours), hexOf(theirs));

        // The buffer form, right-aligned.
        Bytes wide(k.key.RsaOutputSize() + 3, 0xee);
        k.key.LockDigest(alg.code, digest.data(), wide.data(), (unsigned long)wide.size());
        EXPECT_EQ(hexOf(wide), "000000" + hexOf(theirs));
        EXPECT_TRUE(throwsUnlock([&] { k.key.LockDigest(alg.code, digest.data(), wide.data(), 10); }));

        // Verification of openssl's signature with the public half.
        CRSAPublicKey pub = k.key;
        Bytes recovered(20, 0);
        pub.UnlockDigest(alg.code, theirs.data(), (unsigned long)theirs.size(), recovered.data(), pub.GetBits());
        recovered.resize(digest.size());
        EXPECT_EQ(hexOf(recovered), hexOf(digest));

        // Checked with the other digest algorithm, it is refused.
        const EDigestAlgorithm other = alg.code == eSHA1 ? eMD5 : eSHA1;
        EXPECT_TRUE(throwsUnlock([&] {
            pub.UnlockDigest(other, theirs.data(), (unsigned long)theirs.size(), recovered.data(), pub.GetBits());
        }));
        // So is a signature with one bit changed.
        Bytes damaged = theirs;
        damaged[damaged.size() / 2] ^= 0x10;
        EXPECT_TRUE(throwsUnlock([&] {
            pub.UnlockDigest(alg.code, damaged.data(), (unsigned long)damaged.size(), recovered.data(),
                             pub.GetBits());
        }));
    }
}

TEST_P(RsaOpenssl, OurSignaturesPassOpensslVerify)
{
    const OpensslKey& k = *s_keys[GetParam()];
    ASSERT_TRUE(run("openssl rsa -in " + k.pem + " -pubout -out " + s_dir->file("pub.pem")));
    const Bytes digest = digestOf(eSHA1);
    CByteArray sig;
    k.key.LockDigest(eSHA1, digest.data(), sig);
    writeBytes(s_dir->file("oursig"), sig.GetData(), (size_t)sig.GetSize());
    EXPECT_TRUE(run("openssl dgst -sha1 -verify " + s_dir->file("pub.pem") + " -signature " + s_dir->file("oursig") +
                    " " + s_dir->file("data") + " >/dev/null"));
}

TEST_P(RsaOpenssl, WrappedKeysCrossBothWays)
{
    const OpensslKey& k = *s_keys[GetParam()];
    // Ours wrapped, openssl unwraps.
    CTripleDESkey session;
    CByteArray wrapped;
    CRSAPublicKey pub = k.key;
    pub.LockKey(session, wrapped);
    ASSERT_EQ((unsigned long)wrapped.GetSize(), pub.RsaOutputSize());
    writeBytes(s_dir->file("wrapped"), wrapped.GetData(), (size_t)wrapped.GetSize());
    ASSERT_TRUE(run("openssl pkeyutl -decrypt -inkey " + k.pem + " -in " + s_dir->file("wrapped") + " -out " +
                    s_dir->file("unwrapped")));
    EXPECT_EQ(hexOf(readBytes(s_dir->file("unwrapped"))), hexOf(session.Data(), session.Size()));

    // Openssl wrapped, ours unwraps.
    const unsigned char idea[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    writeBytes(s_dir->file("plainkey"), idea, sizeof idea);
    ASSERT_TRUE(run("openssl pkeyutl -encrypt -inkey " + k.pem + " -in " + s_dir->file("plainkey") + " -out " +
                    s_dir->file("theirwrap")));
    const Bytes theirs = readBytes(s_dir->file("theirwrap"));
    CByteArray locked;
    locked.SetSize((int)theirs.size());
    std::memcpy(locked.GetData(), theirs.data(), theirs.size());
    CIDEAkey unwrapped;
    k.key.UnlockKey(locked, unwrapped, k.key.GetBits());
    EXPECT_EQ(hexOf(unwrapped.Data(), unwrapped.Size()), hexOf(idea, sizeof idea));

    // The same envelope is refused by a key kind of another length, which keeps its own bytes.
    CDESkey des;
    const std::string before = hexOf(des.Data(), des.Size());
    EXPECT_TRUE(throwsUnlock([&] { k.key.UnlockKey(locked, des, k.key.GetBits()); }));
    EXPECT_EQ(hexOf(des.Data(), des.Size()), before);
    // And a damaged envelope cannot be opened.
    locked[5] ^= 1;
    EXPECT_TRUE(throwsUnlock([&] { k.key.UnlockKey(locked, unwrapped, k.key.GetBits()); }));
}

INSTANTIATE_TEST_SUITE_P(Bits, RsaOpenssl, ::testing::Values(512, 1000, 1024, 1536, 2048));

#endif
