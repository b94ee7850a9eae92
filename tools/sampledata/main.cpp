// make_sample_data <output folder>: writes the sample data set.
#include <cstdio>
#include <string>

#include "tools/sampledata/manifest.h"
#include "tools/sampledata/writers.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_sample_data <output folder>\n");
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
