// tlbpatch on widl's own output and on corrupted copies of it: the good
// input patches reproducibly; every corruption stops it with a non-zero exit,
// a message naming what was unexpected, and no output file left behind.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <sys/wait.h>
#include <vector>

#ifndef TLBPATCH
#error "TLBPATCH must name the tool"
#endif
#ifndef RAW_TLB
#error "RAW_TLB must name widl's type library"
#endif

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

namespace {

Bytes Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Write(const fs::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

std::uint32_t U32(const Bytes& b, std::size_t at) {
    return b.at(at) | b.at(at + 1) << 8 | b.at(at + 2) << 16 | std::uint32_t{b.at(at + 3)} << 24;
}

void Put32(Bytes& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b.at(at + i) = static_cast<unsigned char>(v >> 8 * i);
}

// Offset of the first occurrence of `text`; fails the test if absent.
std::size_t Find(const Bytes& b, const std::string& text) {
    const auto at = std::search(b.begin(), b.end(), text.begin(), text.end());
    EXPECT_NE(b.end(), at) << text;
    return static_cast<std::size_t>(at - b.begin());
}

// The file offset of type description `index`: after the 0x54-byte header
// and one offset per type description comes the segment directory, whose
// first entry locates the table of 0x64-byte type description records.
std::size_t TypeRecord(const Bytes& b, std::uint32_t index) {
    const std::size_t directory = 0x54 + 4 * std::size_t{U32(b, 0x20)};
    return U32(b, directory) + index * 0x64;
}

struct Outcome {
    int exitCode;
    std::string errors;
    bool wroteOutput;
};

class Tlbpatch : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/tlbpatch_test.XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(pattern));
        m_Dir = pattern;
        m_Raw = Read(RAW_TLB);
        ASSERT_GT(m_Raw.size(), 0x1000u) << RAW_TLB;
    }
    void TearDown() override { fs::remove_all(m_Dir); }

    // Patches `input`; a stale output file is there beforehand.
    Outcome Patch(const Bytes& input, const std::string& name = "in") {
        const fs::path in = m_Dir / (name + ".tlb"), out = m_Dir / (name + ".out.tlb"),
                       err = m_Dir / (name + ".err");
        Write(in, input);
        Write(out, Bytes{'s', 't', 'a', 'l', 'e'});
        const std::string command = std::string("'") + TLBPATCH + "' '" + in.string() + "' '" +
                                    out.string() + "' 2>'" + err.string() + "'";
        const int status = std::system(command.c_str());
        const Bytes errors = Read(err);
        Outcome run{WIFEXITED(status) ? WEXITSTATUS(status) : -1,
                    std::string(errors.begin(), errors.end()), fs::exists(out)};
        if (run.wroteOutput)
            m_Output = Read(out);
        return run;
    }

    fs::path m_Dir;
    Bytes m_Raw;
    Bytes m_Output;
};

TEST_F(Tlbpatch, PatchesWidlOutputReproducibly) {
    const Outcome first = Patch(m_Raw, "first");
    ASSERT_EQ(0, first.exitCode) << first.errors;
    EXPECT_EQ("", first.errors);
    ASSERT_TRUE(first.wroteOutput);
    const Bytes patched = m_Output;
    EXPECT_EQ(m_Raw.size(), patched.size());
    EXPECT_NE(m_Raw, patched);
    // The event interface record: flags 0x1090, version 1.0.
    EXPECT_EQ(0x1090u, U32(patched, TypeRecord(patched, 2) + 0x30));
    EXPECT_EQ(1u, U32(patched, TypeRecord(patched, 2) + 0x38));
    // No trace of the build stamp.
    const std::string stamp = "Created by WIDL";
    EXPECT_EQ(patched.end(),
              std::search(patched.begin(), patched.end(), stamp.begin(), stamp.end()));

    // Another build time: widl's date text and time stamp differ.
    Bytes later = m_Raw;
    const std::size_t at = Find(later, " at ");
    ASSERT_NE(later.size(), at);
    for (std::size_t i = at + 4; i < later.size() && later[i] != '\n'; ++i)
        if (later[i] >= '0' && later[i] <= '9')
            later[i] = static_cast<unsigned char>('0' + (later[i] - '0' + 3) % 10);
    ASSERT_NE(m_Raw, later);
    const Outcome second = Patch(later, "later");
    ASSERT_EQ(0, second.exitCode) << second.errors;
    EXPECT_EQ(patched, m_Output);
}

struct Corruption {
    const char* name;
    std::function<void(Bytes&)> apply;
    const char* message; // part of what tlbpatch must say
};

TEST_F(Tlbpatch, RefusesUnexpectedInput) {
    const Corruption cases[] = {
        {"empty file", [](Bytes& b) { b.clear(); }, "truncated"},
        {"cut inside the header", [](Bytes& b) { b.resize(0x30); }, "truncated"},
        {"cut inside the segment directory", [](Bytes& b) { b.resize(0x68); }, "truncated"},
        {"cut in half", [](Bytes& b) { b.resize(b.size() / 2); }, "past"},
        {"wrong magic", [](Bytes& b) { b[3] = 'X'; }, "magic"},
        {"wrong format version", [](Bytes& b) { Put32(b, 4, 0x00010003); }, "format version"},
        {"malformed segment directory", [](Bytes& b) { Put32(b, 0x54 + 4 * 3 + 12, 0); },
         "segment directory"},
        {"system kind of neither Windows", [](Bytes& b) { b[0x14] = (b[0x14] & 0xF0) | 2; },
         "system kind 2"},
        // win32 and win64 swapped: the table slots are laid out for the other.
        {"system kind against the layout", [](Bytes& b) { b[0x14] ^= 2; }, "table offset"},
        {"event interface renamed", [](Bytes& b) { b[Find(b, "__Quillomet") + 10] = 'x'; },
         "named '__Quillomex'"},
        {"event interface flags not widl's",
         [](Bytes& b) { Put32(b, TypeRecord(b, 2) + 0x30, 0x1011); }, "TYPEFLAGS are 0x1011"},
        {"dual interface flags not widl's",
         [](Bytes& b) { Put32(b, TypeRecord(b, 0) + 0x30, 0x10D0); },
         "_Quillomet: TYPEFLAGS are 0x10D0"},
        {"coclass version not 1.0", [](Bytes& b) { Put32(b, TypeRecord(b, 1) + 0x38, 0x00010001); },
         "Quillomet: version"},
        {"event interface version already set",
         [](Bytes& b) { Put32(b, TypeRecord(b, 2) + 0x38, 1); }, "__Quillomet: version"},
        // widl's name for a result, "a", alone in the name table.
        {"result named otherwise",
         [](Bytes& b) {
             const std::string entry = "aWWW";
             b[Find(b, entry)] = 'b';
         },
         "result is named 'b'"},
        {"build stamp of another tool", [](Bytes& b) { b[Find(b, "Created by WIDL") + 11] = 'M'; },
         "WIDL"},
        {"no library custom data", [](Bytes& b) { Put32(b, 0x40, 0xFFFFFFFF); }, "no custom data"},
    };
    for (const Corruption& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes input = m_Raw;
        c.apply(input);
        ASSERT_NE(m_Raw, input);
        const Outcome run = Patch(input);
        EXPECT_NE(0, run.exitCode);
        EXPECT_NE(std::string::npos, run.errors.find(c.message)) << run.errors;
        EXPECT_FALSE(run.wroteOutput);
    }
}

// What tlbpatch writes is not widl's output any more: it refuses it.
TEST_F(Tlbpatch, RefusesItsOwnOutput) {
    ASSERT_EQ(0, Patch(m_Raw).exitCode);
    const Bytes patched = m_Output;
    const Outcome again = Patch(patched, "again");
    EXPECT_NE(0, again.exitCode);
    EXPECT_NE(std::string::npos, again.errors.find("__Quillomet: TYPEFLAGS are 0x1090"))
        << again.errors;
}

TEST_F(Tlbpatch, UsageAndMissingInput) {
    const std::string tool = std::string("'") + TLBPATCH + "'";
    int status = std::system((tool + " 2>/dev/null").c_str());
    EXPECT_EQ(2, WEXITSTATUS(status));
    status = std::system((tool + " '" + (m_Dir / "absent.tlb").string() + "' '" +
                          (m_Dir / "out.tlb").string() + "' 2>/dev/null")
                             .c_str());
    EXPECT_NE(0, WEXITSTATUS(status));
    EXPECT_FALSE(fs::exists(m_Dir / "out.tlb"));
}

} // namespace
