// The DN text functions on long names (up to 10,000 RDNs, 10,000 AVAs in one
// RDN, 10,000 escaped characters in one value), beside OpenLDAP's
// ldap_str2dn / ldap_dn2str on the same text in the same run. The reported
// complexity shows that every function grows linearly with the text.
#include <benchmark/benchmark.h>
#include <ldap.h>

#include <string>

#include "dirlink/dirlink.h"

namespace {
// "cn=v0,cn=v1,...": n RDNs.
std::string manyRdns(int64_t n)
{
    std::string dn;
    for (int64_t i = 0; i < n; ++i)
        dn += (i ? ",cn=v" : "cn=v") + std::to_string(i);
    return dn;
}

// "cn=v0+cn=v1+...,o=Firm": n AVAs in the first RDN.
std::string manyAvas(int64_t n)
{
    std::string dn;
    for (int64_t i = 0; i < n; ++i)
        dn += (i ? "+cn=v" : "cn=v") + std::to_string(i);
    return dn + ",o=Firm";
}

// "cn=\,\,\,...,o=Firm": n escaped commas in one value.
std::string manyEscapes(int64_t n)
{
    std::string dn = "cn=";
    for (int64_t i = 0; i < n; ++i)
        dn += "\\,";
    return dn + ",o=Firm";
}

template <class Function>
void measure(benchmark::State& state, std::string (*make)(int64_t), Function function)
{
    const std::string dn = make(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(function(dn.c_str()));
    state.SetComplexityN(state.range(0));
    state.SetBytesProcessed((int64_t)state.iterations() * (int64_t)dn.size());
}

int check(const char* dn)
{
    return IsValidDn(dn);
}

int canon(const char* dn)
{
    CString out;
    return ConvertDn(dn, 1, out);
}

int split(const char* dn)
{
    CStringArray rdns;
    return GetAllRDns(dn, rdns, 0);
}

int middleRdn(const char* dn)
{
    CString out;
    return GetRDn(GetRDnCount(dn) / 2 + 1, dn, out);
}

int equal(const char* dn)
{
    return AreEqualDn(dn, dn);
}

int avas(const char* dn)
{
    CStringArray out;
    return GetAllAvas(dn, out);
}

int openldapParse(const char* dn)
{
    LDAPDN parsed = nullptr;
    int rc = ldap_str2dn(dn, &parsed, LDAP_DN_FORMAT_LDAPV3);
    ldap_dnfree(parsed);
    return rc;
}

int openldapReformat(const char* dn)
{
    LDAPDN parsed = nullptr;
    char* text = nullptr;
    int rc = ldap_str2dn(dn, &parsed, LDAP_DN_FORMAT_LDAPV3);
    if (rc == LDAP_SUCCESS)
        rc = ldap_dn2str(parsed, &text, LDAP_DN_FORMAT_LDAPV3);
    ldap_dnfree(parsed);
    ldap_memfree(text);
    return rc;
}
}  // namespace

#define DN_BENCH(name, make, function)                                                   \
    void name(benchmark::State& state) { measure(state, make, function); }             \
    BENCHMARK(name)->RangeMultiplier(10)->Range(100, 10000)->Complexity(benchmark::oN)

DN_BENCH(BM_Rdns_Check_dirlink, manyRdns, check);
DN_BENCH(BM_Rdns_Split_dirlink, manyRdns, split);
DN_BENCH(BM_Rdns_Canon_dirlink, manyRdns, canon);
DN_BENCH(BM_Rdns_GetRDn_dirlink, manyRdns, middleRdn);
DN_BENCH(BM_Rdns_Equal_dirlink, manyRdns, equal);
DN_BENCH(BM_Rdns_Parse_openldap, manyRdns, openldapParse);
DN_BENCH(BM_Rdns_Reformat_openldap, manyRdns, openldapReformat);
DN_BENCH(BM_Avas_Canon_dirlink, manyAvas, canon);
DN_BENCH(BM_Avas_GetAllAvas_dirlink, manyAvas, avas);
DN_BENCH(BM_Avas_Reformat_openldap, manyAvas, openldapReformat);
DN_BENCH(BM_Escapes_Canon_dirlink, manyEscapes, canon);
DN_BENCH(BM_Escapes_Reformat_openldap, manyEscapes, openldapReformat);

BENCHMARK_MAIN();
