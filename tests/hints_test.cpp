// The one line of advice for input that looks like a mistake.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "hints.hpp"

namespace {

const std::string md5 = "d41d8cd98f00b204e9800998ecf8427e";
const std::string sha256 = "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855";
const std::string sha512 = sha256 + sha256;
const std::string pipe_advice = "e.g. sha256sum FILE | tessadox -l 64 > FILE.png";

std::string length_advice(int digits, const std::string& rest) {
    return "tessadox: the checksum has " + std::to_string(digits) + " hexadecimal digits; " + rest;
}

struct hint_case {
    std::string read, following;
    int length;
    bool input_is_terminal;
    std::optional<std::string> hint;
};

void PrintTo(const hint_case& c, std::ostream* os) {
    *os << testing::PrintToString(c.read) << " + " << testing::PrintToString(c.following) << " -l "
        << c.length << (c.input_is_terminal ? " from a terminal" : "");
}

class InputHint : public testing::TestWithParam<hint_case> {};

TEST_P(InputHint, GivesTheFirstAdviceThatApplies) {
    const hint_case& c = GetParam();
    EXPECT_EQ(input_hint(c.read, c.following, c.length, c.input_is_terminal), c.hint);
}

const std::string not_a_checksum =
    "tessadox: the input does not start with a hexadecimal checksum; pipe one in, " + pipe_advice;
const std::string tagged = "tessadox: the input is a tagged line, NAME (FILE) = CHECKSUM; run the "
                           "checksum tool without --tag";

INSTANTIATE_TEST_SUITE_P(
    Cases, InputHint,
    testing::Values(
        // Nothing to say: the checksum fits the length read.
        hint_case{md5, "  -\n", 32, false, std::nullopt},
        hint_case{md5, "", 32, false, std::nullopt},
        hint_case{"D41D8CD98F00B204E9800998ECF8427E", "  -\n", 32, false, std::nullopt},
        hint_case{sha256, "\r\n", 64, false, std::nullopt},
        // A terminal on standard input comes first, whatever was typed.
        hint_case{"", "", 32, true,
                  "tessadox: standard input is a terminal; pipe a checksum in, " + pipe_advice},
        hint_case{sha256.substr(0, 32), sha256.substr(32) + "  -\n", 32, true,
                  "tessadox: standard input is a terminal; pipe a checksum in, " + pipe_advice},
        hint_case{"", "", 32, false,
                  "tessadox: standard input is empty; pipe a checksum in, " + pipe_advice},
        // A longer checksum than the length read: counted over what follows.
        hint_case{sha256.substr(0, 32), sha256.substr(32) + "  file\n", 32, false,
                  length_advice(64, "-l 64 reads them all")},
        hint_case{sha512.substr(0, 64), sha512.substr(64) + "  -\n", 64, false,
                  length_advice(128, "-l 128 reads them all")},
        // ... unless its end is not at hand yet
        hint_case{sha256.substr(0, 32), sha256.substr(32, 10), 32, false, std::nullopt},
        // -l 44 reads only whole groups, 40: the same as -l 40
        hint_case{(sha256 + md5).substr(0, 40), "0123\n", 44, false, std::nullopt},
        hint_case{md5, "0123456789ab\n", 32, false, length_advice(44, "-l 40 reads the first 40")},
        hint_case{sha512, sha512.substr(0, 72) + "\n", 128, false, std::nullopt},
        hint_case{sha512.substr(0, 64), sha512.substr(64) + sha512.substr(0, 72) + "\n", 64, false,
                  length_advice(200, "-l 128 reads the first 128")},
        // A shorter checksum than the length read: the rest of the line was read too.
        hint_case{md5 + "  -\n", "", 64, false, length_advice(32, "-l 32 reads them all")},
        hint_case{md5 + "  foo.ba", "r\n", 40, false, length_advice(32, "-l 32 reads them all")},
        hint_case{sha256.substr(0, 40), "", 64, false, length_advice(40, "-l 40 reads them all")},
        hint_case{"1234abcd", "", 32, false, length_advice(8, "-l 8 reads them all")},
        // No plain checksum.
        hint_case{("\\" + md5).substr(0, 32), md5.substr(31) + "  a\\nb\n", 32, false,
                  "tessadox: the line starts with a backslash, which checksum tools put before "
                  "an escaped file name; give the tool the file on standard input, e.g. "
                  "sha256sum < FILE"},
        hint_case{"MD5 (notes.txt) = " + md5.substr(0, 14), md5.substr(14) + "\n", 32, false,
                  tagged},
        hint_case{"SHA256 (a-long-file-names.tar.gz", ") = " + sha256 + "\n", 32, false, tagged},
        hint_case{"BLAKE2b (x) = " + md5.substr(0, 18), "", 32, false, tagged},
        hint_case{"Hello, world! This is a letter.\n", "", 32, false, not_a_checksum},
        hint_case{std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), "", 16, false, not_a_checksum},
        hint_case{"cafe babe 0123456789abcdef012345", "6789\n", 32, false, not_a_checksum},
        hint_case{"abc", "", 32, false, not_a_checksum},
        hint_case{md5.substr(0, 16) + "ghijklmnopqrstuv", "", 32, false, not_a_checksum}));

} // namespace
