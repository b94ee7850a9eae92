#include "tools/sampledata/output.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace {

u64 Fnv1a(const std::vector<u8>& bytes) {
    u64 h = 1469598103934665603ull;
    for (u8 b : bytes) {
        h ^= b;
        h *= 1099511628211ull;
    }
    return h;
}

std::map<std::string, u64> ReadLedger(const std::filesystem::path& p) {
    std::map<std::string, u64> m;
    std::ifstream in(p);
    std::string name;
    std::string hash;
    while (in >> name >> hash) m[name] = std::stoull(hash, nullptr, 16);
    return m;
}

void WriteLedger(const std::filesystem::path& p, const std::map<std::string, u64>& m) {
    std::ofstream out(p, std::ios::trunc);
    for (const auto& [name, h] : m) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(h));
        out << name << ' ' << buf << '\n';
    }
}

u64 HashOfFile(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::vector<u8> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return Fnv1a(bytes);
}

}  // namespace

bool WriteGeneratedFile(const std::string& dir, const std::string& name, const std::vector<u8>& bytes) {
    namespace fs = std::filesystem;
    fs::path folder(dir);
    fs::path target = folder / name;
    fs::path ledgerPath = folder / "sample-data.txt";
    auto ledger = ReadLedger(ledgerPath);
    std::error_code ec;
    if (fs::exists(target, ec)) {
        auto it = ledger.find(name);
        if (it == ledger.end() || it->second != HashOfFile(target)) {
            std::fprintf(stderr, "make_sample_data: keeping %s (not written by the generator)\n",
                         target.string().c_str());
            return true;
        }
    }
    fs::create_directories(target.parent_path(), ec);
    fs::path tmp = target;
    tmp += ".tmp";
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (!out) {
            std::fprintf(stderr, "make_sample_data: cannot write %s\n", tmp.string().c_str());
            return false;
        }
    }
    fs::rename(tmp, target, ec);
    if (ec) {
        std::fprintf(stderr, "make_sample_data: cannot rename %s: %s\n", tmp.string().c_str(), ec.message().c_str());
        return false;
    }
    ledger[name] = Fnv1a(bytes);
    WriteLedger(ledgerPath, ledger);
    return true;
}
