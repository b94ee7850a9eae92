// make_sample_data <output folder>: writes the sample data set.
// make_sample_data --input-script <script.txt> <words.bin>: turns a text input
//   script into the game's --input format.
// make_sample_data --install-demo <output folder> <recording.rpl>: checks a
//   recorded run and writes it as the demonstration "demo.rpl".
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "tools/sampledata/demo_replay.h"
#include "tools/sampledata/input_script.h"
#include "tools/sampledata/manifest.h"
#include "tools/sampledata/writers.h"

namespace {

const char kUsage[] =
    "usage: make_sample_data <output folder>\n"
    "       make_sample_data --input-script <script.txt> <words.bin>\n"
    "       make_sample_data --install-demo <output folder> <recording.rpl>\n";

int WriteInputScript(const std::string& scriptPath, const std::string& outPath) {
    std::ifstream in(scriptPath);
    if (!in) {
        std::fprintf(stderr, "make_sample_data: cannot read %s\n", scriptPath.c_str());
        return 1;
    }
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<u16> words;
    std::string error;
    if (!ParseInputScript(text, words, error)) {
        std::fprintf(stderr, "make_sample_data: %s: %s\n", scriptPath.c_str(), error.c_str());
        return 1;
    }
    const std::vector<u8> bytes = InputScriptBytes(words);
    std::ofstream out(outPath, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "make_sample_data: cannot write %s\n", outPath.c_str());
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "--input-script") return WriteInputScript(argv[2], argv[3]);
    if (argc == 4 && std::string(argv[1]) == "--install-demo") return InstallDemoReplay(argv[2], argv[3]) ? 0 : 1;
    if (argc != 2 || argv[1][0] == '-') {
        std::fprintf(stderr, "%s", kUsage);
        return 2;
    }
    Manifest manifest;
    std::string error;
    if (!LoadManifest(TOLVARIN_MANIFEST, manifest, error)) {
        std::fprintf(stderr, "make_sample_data: %s\n", error.c_str());
        return 1;
    }
    const std::string dir = argv[1];
    bool ok = WriteImageArchives(dir, manifest);
    ok = WriteSoundArchives(dir, manifest) && ok;
    return ok ? 0 : 1;
}
