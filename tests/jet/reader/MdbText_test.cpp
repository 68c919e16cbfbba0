// The reader decodes Jet 4 and ACE text itself; what it gives must be what
// libmdb's own conversion gives for any bytes, since every name and
// description in a snapshot passes through it.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "jet/reader/MdbText.h"

namespace speclore::jet::reader {
namespace {

// A handle with just what libmdb's text conversion reads: the file's Jet
// version and the conversion it opens for it.
class LibmdbText {
public:
    explicit LibmdbText(guint32 jetVersion) {
        file_->jet_version = jetVersion;
        file_->code_page = 1252;
        handle_->f = file_.get();
        mdb_iconv_init(handle_.get());
    }
    ~LibmdbText() { mdb_iconv_close(handle_.get()); }
    LibmdbText(const LibmdbText&) = delete;
    LibmdbText& operator=(const LibmdbText&) = delete;

    MdbHandle* handle() const { return handle_.get(); }

    std::string convert(const std::vector<unsigned char>& bytes) const {
        std::vector<char> out(3 * bytes.size() + 16);
        const int written = mdb_unicode2ascii(handle_.get(), reinterpret_cast<const char*>(bytes.data()),
                                              bytes.size(), out.data(), out.size());
        return std::string(out.data(), static_cast<size_t>(std::max(written, 0)));
    }

private:
    std::unique_ptr<MdbFile> file_ = std::make_unique<MdbFile>();
    std::unique_ptr<MdbHandle> handle_ = std::make_unique<MdbHandle>();
};

std::string decoded(const std::vector<unsigned char>& bytes) {
    return unicodeText(bytes.data(), bytes.size());
}

TEST(MdbText, DecodesAnyBytesAsLibmdbDoes) {
    const LibmdbText libmdb(MDB_VER_JET4);
    // Bytes that matter to the decoder: zero (a mode switch when
    // compressed), the compression marker, surrogate halves, ASCII, Latin-1
    // and the first bytes of two- and three-byte UTF-8.
    const unsigned char interesting[] = {0x00, 0xFF, 0xFE, 0xD8, 0xDB, 0xDC, 0xDF, 0x41, 0x7F,
                                         0x80, 0xE9, 0x07, 0x08, 0x30, 0x4E, 0xFD, 0x01};
    std::mt19937 random(12);
    for (int round = 0; round < 50000; ++round) {
        std::vector<unsigned char> bytes;
        if (round % 2 == 0) bytes = {0xFF, 0xFE};
        const size_t length = random() % 24;
        for (size_t i = 0; i < length; ++i) {
            bytes.push_back(random() % 3 == 0 ? static_cast<unsigned char>(random())
                                              : interesting[random() % sizeof interesting]);
        }
        ASSERT_EQ(decoded(bytes), libmdb.convert(bytes)) << "round " << round;
    }
}

TEST(MdbText, DecodesLongMostlyAsciiRunsAsLibmdbDoes) {
    // ASCII runs are copied a word at a time: runs of every length and
    // alignment in both modes, broken by switches, zero characters and
    // other text.
    const LibmdbText libmdb(MDB_VER_JET4);
    std::mt19937 random(34);
    auto ascii = [&] { return static_cast<unsigned char>(0x20 + random() % 0x60); };
    for (int round = 0; round < 20000; ++round) {
        std::vector<unsigned char> bytes;
        bool oneByte = round % 2 == 0;
        if (oneByte) bytes = {0xFF, 0xFE};
        for (size_t segments = random() % 4; segments > 0; --segments) {
            for (size_t run = random() % 24; run > 0; --run) {
                bytes.push_back(ascii());
                if (!oneByte) bytes.push_back(0);
            }
            const unsigned pick = random() % 4;
            if (pick == 0 && round % 2 == 0) {
                bytes.push_back(0);
                oneByte = !oneByte;
            } else if (pick == 1) {
                bytes.push_back(static_cast<unsigned char>(random()));
            } else if (pick == 2) {
                bytes.push_back(0);
                bytes.push_back(0);
            }
        }
        ASSERT_EQ(decoded(bytes), libmdb.convert(bytes)) << "round " << round;
    }
}

TEST(MdbText, KeepsLibmdbsReadingOfOddInput) {
    // A lone surrogate becomes '?', an odd last byte is dropped, NUL stays.
    EXPECT_EQ(decoded({'A', 0, 0x00, 0xD8, 'B', 0, 'C'}), "A?B");
    EXPECT_EQ(decoded({'A', 0, 0, 0, 'B', 0}), std::string("A\0B", 3));
    // Compressed: one byte a character until a zero switches to two bytes;
    // there a character whose low byte is zero switches back instead.
    EXPECT_EQ(decoded({0xFF, 0xFE, 'a', 0xE9, 0, 0x42, 0x30, 0, 'b'}),
              "aé\xE3\x81\x82"
              "b");
    EXPECT_EQ(decoded({0xFF, 0xFE, 0, 0x00, 0x4E, 'x'}), "Nx");
    const LibmdbText libmdb(MDB_VER_JET4);
    const std::vector<unsigned char> nameWithNul = {'a', 0, 0, 0, 'b', 0};
    EXPECT_EQ(mdbFieldText(libmdb.handle(), nameWithNul.data(), nameWithNul.size()), "a");
}

TEST(MdbText, LeavesJet3TextToTheCodePage) {
    const LibmdbText libmdb(MDB_VER_JET3);
    const std::vector<unsigned char> bytes = {'C', 'a', 'f', 0xE9};
    EXPECT_EQ(mdbText(libmdb.handle(), bytes.data(), bytes.size()), "Café");
}

}  // namespace
}  // namespace speclore::jet::reader
