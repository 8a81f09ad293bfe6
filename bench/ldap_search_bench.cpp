// Reading 10,000 inetOrgPerson entries from a throwaway slapd on 127.0.0.1:
// the directory manager (connect, log in, search, log out, every result
// delivered to a sink and released), `dlink search` to /dev/null, and
// `ldapsearch -LLL` to /dev/null, in one run. The two programs are timed from
// start to exit (wall time), and their peak resident memory is reported as
// the counter peak_rss_kB (measured by /usr/bin/time, Debian package time).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <unistd.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "dirlink/dirlink.h"
#include "support/slapd_server.h"

extern char** environ;

namespace {

const int kEntries = 10000;
const char kMany[] = "ou=many,dc=example,dc=com";

std::string directory()
{
    std::string ldif = SlapdServer::baseEntries() + "dn: ou=many,dc=example,dc=com\nobjectClass: organizationalUnit\nou: many\n\n";
    for (int i = 0; i < kEntries; ++i) {
        const std::string n = std::to_string(10000 + i);
        ldif += "dn: uid=user" + n + ",ou=many,dc=example,dc=com\nobjectClass: inetOrgPerson\nuid: user" + n +
                "\ncn: User " + n + "\nsn: Number" + n + "\ngivenName: User\nmail: user" + n +
                "@example.com\ntelephoneNumber: +1 555 " + n + "\ndescription: Person number " + n +
                " of the benchmark directory\n\n";
    }
    return ldif;
}

SlapdServer& server()
{
    static SlapdServer* instance = [] {
        auto* s = new SlapdServer;
        std::string error;
        if (!s->start(directory(), &error)) {
            std::fprintf(stderr, "slapd: %s\n", error.c_str());
            std::exit(1);
        }
        return s;
    }();
    return *instance;
}

// Counts what arrives and keeps nothing.
struct CountingSink : INotifable {
    long entries = 0;
    void Clear() override {}
    long AddRef() override { return 1; }
    long Release() override { return 1; }
    void OnNotify(unsigned long code, void* param) override
    {
        if (code == DNOTIFY_SEARCH_RESULT && static_cast<CSearchResult*>(param)->GetEntry())
            ++entries;
    }
};

void ManagerSearch(benchmark::State& state)
{
    SlapdServer& slapd = server();
    CountingSink sink;
    CSearchFilter filter;
    ParseSearchFilter("(objectClass=*)", filter);
    CStringArray all;
    for (auto _ : state) {
        IX500DirManager* manager = CreateLdapDirManager();
        const DWORD port = (DWORD)slapd.port(), version = 3;
        manager->SetOption(5, "127.0.0.1", 0);
        manager->SetOption(0, &port, 0);
        manager->SetOption(2, SlapdServer::kRootDn, 0);
        manager->SetOption(3, SlapdServer::kRootPassword, 0);
        manager->SetOption(LDAP_DIR_OPTION_PROTOCOL_VERSION, &version, 0);
        manager->SetNotifySink(&sink);
        manager->SetNotify(1);
        sink.entries = 0;
        if (manager->Connect(0) != 0 || manager->Search(kMany, 1, 0, 0, 0, 0, filter, all, 0) != 0 ||
            sink.entries != kEntries)
            state.SkipWithError("the search failed");
        manager->Disconnect();
        manager->Release();
    }
    state.SetItemsProcessed(state.iterations() * kEntries);
}

// Runs a program with standard output to /dev/null; its peak memory in kB.
// The program runs under /usr/bin/time, which reports its peak: a process
// started straight from here would count this process's memory as its own.
long runProgram(std::vector<std::string> arguments, benchmark::State& state)
{
    const std::string report = "/tmp/ldap_search_bench." + std::to_string(getpid()) + ".rss";
    arguments.insert(arguments.begin(), {"/usr/bin/time", "-f", "%M", "-o", report});
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(&argument[0]);
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid;
    long peak = 0;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
        state.SkipWithError("cannot start the program");
    } else {
        int status = 0;
        waitpid(pid, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
            state.SkipWithError("the program failed (is /usr/bin/time there?)");
        if (FILE* in = std::fopen(report.c_str(), "r")) {
            if (std::fscanf(in, "%ld", &peak) != 1)
                peak = 0;
            std::fclose(in);
        }
        std::remove(report.c_str());
    }
    posix_spawn_file_actions_destroy(&actions);
    return peak;
}

void measureProgram(benchmark::State& state, const std::vector<std::string>& arguments)
{
    server();
    long peak = 0;
    for (auto _ : state)
        peak = std::max(peak, runProgram(arguments, state));
    state.counters["peak_rss_kB"] = (double)peak;
    state.SetItemsProcessed(state.iterations() * kEntries);
}

void DlinkSearch(benchmark::State& state)
{
    measureProgram(state, {std::string(VC_BINARY_DIR) + "/tools/dlink", "search", "-H", server().url(), "-D",
                           SlapdServer::kRootDn, "-w", SlapdServer::kRootPassword, "-b", kMany, "-s", "one"});
}

void LdapsearchLLL(benchmark::State& state)
{
    setenv("LDAPNOINIT", "1", 1);  // no ldap.conf of the machine
    measureProgram(state, {"/usr/bin/ldapsearch", "-x", "-LLL", "-H", server().url(), "-D", SlapdServer::kRootDn, "-w",
                           SlapdServer::kRootPassword, "-b", kMany, "-s", "one"});
}

}  // namespace

BENCHMARK(ManagerSearch)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(DlinkSearch)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(LdapsearchLLL)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    delete &server();  // stops slapd
    benchmark::Shutdown();
    return 0;
}
