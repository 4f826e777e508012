// Replays the fuzz target's seed corpus and every input kept from a crash (tests/fuzz/regressions)
// through the target, so that every build, the sanitizer build included, checks them without
// clang or libFuzzer.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

namespace fs = std::filesystem;

TEST(FuzzInputs, SeedsAndKeptCrashInputsRunCleanly)
{
    int replayed = 0;
    for (const char* folder : {FUZZ_CORPUS_DIR, FUZZ_REGRESSIONS_DIR}) {
        if (!fs::is_directory(folder)) continue;
        for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
            std::ifstream in(entry.path(), std::ios::binary);
            const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                                  std::istreambuf_iterator<char>()};
            // The target aborts on a broken invariant; a sanitizer ends the run on a fault.
            EXPECT_EQ(LLVMFuzzerTestOneInput(bytes.data(), bytes.size()), 0) << entry.path();
            replayed++;
        }
    }
    EXPECT_GE(replayed, 10);
}

}  // namespace
