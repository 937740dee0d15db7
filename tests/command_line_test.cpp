// The command line of the built binary: arguments in, exact bytes and status out.
#include <gtest/gtest.h>

#include <algorithm>

#include "png_reader.hpp"
#include "run_binary.hpp"

namespace {

const std::string md5_line = "d41d8cd98f00b204e9800998ecf8427e  -\n";
const std::string bad_switch =
    "Unknown command line switch. Try -? or --help for more information.\n";

enum class out_kind { nothing, picture, help, version };

struct cli_case {
    std::vector<std::string> args;
    int status;
    std::string err;
    out_kind out;
};

void PrintTo(const cli_case& c, std::ostream* os) {
    for (const std::string& arg : c.args) {
        *os << '[' << arg << ']';
    }
}

run_result run(const std::vector<std::string>& args) {
    return run_tessadox({.args = args, .input = md5_line});
}

std::string help_text() {
    return run({"-h"}).out;
}

class CommandLine : public testing::TestWithParam<cli_case> {};

TEST_P(CommandLine, WritesExactlyThis) {
    const cli_case& c = GetParam();
    const run_result r = run(c.args);
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.err, c.err);
    switch (c.out) {
    case out_kind::nothing:
        EXPECT_EQ(r.out, "");
        break;
    case out_kind::picture:
        EXPECT_TRUE(decode_png(r.out).valid);
        break;
    case out_kind::help:
        EXPECT_EQ(r.out, help_text());
        break;
    case out_kind::version:
        EXPECT_EQ(r.out, "Tessadox 2.1 by the Tessadox developers (https://tessadox.example)\n");
        break;
    }
}

// Small pictures keep the table quick: -r 16 wherever the size is not the point.
INSTANTIATE_TEST_SUITE_P(
    ValuesAndForms, CommandLine,
    testing::Values(cli_case{{"-r", "16", "-b128"}, 0, "", out_kind::picture},
                    cli_case{{"-r16", "-b", "128"}, 0, "", out_kind::picture},
                    cli_case{{"-r16", "-b", "-5"}, 0, "", out_kind::picture},
                    cli_case{{"-r16", "-b", ""}, 0, "", out_kind::picture},
                    cli_case{{"-r16", "-b   "}, 0, "", out_kind::picture},
                    cli_case{{"-r300px", "-i1"}, 0, "", out_kind::picture},
                    cli_case{{"-r16", "-l", "128"}, 0, "", out_kind::picture},
                    cli_case{{"-r", "1000", "-i", "0"}, 0, "", out_kind::picture},
                    cli_case{{"-r16", "-i", "+3", "-l 64"}, 0, "", out_kind::picture}));

INSTANTIATE_TEST_SUITE_P(
    Refusals, CommandLine,
    testing::Values(
        cli_case{{"-b", "-t"}, 1, "invalid background on command line", out_kind::nothing},
        cli_case{{"-i-"}, 1, "invalid intensity on command line", out_kind::nothing},
        // a value option with nothing after it
        cli_case{{"-b"}, 1, "invalid background on command line", out_kind::nothing},
        cli_case{{"-i"}, 1, "invalid intensity on command line", out_kind::nothing},
        cli_case{{"-l"}, 1, "invalid checksum length on command line \n", out_kind::nothing},
        cli_case{{"-r16", "-r"}, 1, "invalid resolution on command line \n", out_kind::nothing},
        // arguments that are no option
        cli_case{{"foo"}, 1, bad_switch, out_kind::nothing},
        cli_case{{""}, 1, bad_switch, out_kind::nothing},
        cli_case{{"-"}, 1, bad_switch, out_kind::nothing},
        cli_case{{"--"}, 1, bad_switch, out_kind::nothing},
        cli_case{{"-ax"}, 1, bad_switch, out_kind::nothing},
        cli_case{{"-hx"}, 1, bad_switch, out_kind::nothing},
        cli_case{{"-vx"}, 1, bad_switch, out_kind::nothing},
        cli_case{{"--helpme"}, 1, bad_switch, out_kind::nothing},
        cli_case{{"-A"}, 1, bad_switch, out_kind::nothing},
        // the first refusal ends the run: no notice, no help
        cli_case{{"-r", "1500", "-x"}, 1, bad_switch, out_kind::nothing},
        cli_case{{"-x", "-h"}, 1, bad_switch, out_kind::nothing},
        cli_case{{"-l", "200", "-bz", "-h"},
                 1,
                 "invalid background on command line",
                 out_kind::nothing}));

// Every value option in both forms, with values that hold no int: letters, a
// sign apart from its digits, and numbers past the int range on either side.
std::vector<cli_case> unreadable_values() {
    const struct {
        std::string option, attached_err, separate_err;
    } options[] = {
        {"-b", "invalid background on command line", "invalid background on command line"},
        {"-i", "invalid intensity on command line", "invalid intensity on command line"},
        {"-l", "invalid checksum length on command line",
         "invalid checksum length on command line \n"},
        {"-r", "invalid resolution on command line \n", "invalid resolution on command line \n"},
    };
    std::vector<cli_case> cases;
    for (const auto& o : options) {
        for (const char* value :
             {"px", "- 1", "2147483648", "-2147483649", "99999999999999999999"}) {
            cases.push_back({{o.option + value}, 1, o.attached_err, out_kind::nothing});
            cases.push_back({{o.option, value}, 1, o.separate_err, out_kind::nothing});
        }
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(UnreadableValues, CommandLine, testing::ValuesIn(unreadable_values()));

INSTANTIATE_TEST_SUITE_P(
    HelpAndVersion, CommandLine,
    testing::Values(cli_case{{"-?"}, 0, "", out_kind::help},
                    cli_case{{"--help"}, 0, "", out_kind::help},
                    cli_case{{"-h", "-x"}, 0, "", out_kind::help},
                    cli_case{{"-r", "1500", "-h"}, 0, "", out_kind::help},
                    cli_case{{"-v"}, 0, "", out_kind::version},
                    cli_case{{"-v", "-h"}, 0, "", out_kind::version},
                    cli_case{{"-b", "5", "-v", "--bogus"}, 0, "", out_kind::version}));

INSTANTIATE_TEST_SUITE_P(
    ClampsAndNotices, CommandLine,
    testing::Values(cli_case{{"-r", "1500", "-i0"},
                             0,
                             "1500 is too high a resolution.  Assuming 1000.\n",
                             out_kind::picture},
                    cli_case{{"-r16", "-l", "200"},
                             0,
                             "200 checksumlength is too big.  Assuming 32.\n",
                             out_kind::picture},
                    cli_case{{"-l", "129", "-r", "2147483647", "-i0"},
                             0,
                             "2147483647 is too high a resolution.  Assuming 1000.\n"
                             "129 checksumlength is too big.  Assuming 32.\n",
                             out_kind::picture},
                    cli_case{{"-r16", "-l", "7"},
                             0,
                             "7 checksumlength is too small.  Assuming 32.\n",
                             out_kind::picture},
                    cli_case{{"-r16", "-l0"},
                             0,
                             "0 checksumlength is too small.  Assuming 32.\n",
                             out_kind::picture},
                    cli_case{{"-r1001", "-l", "-2147483648", "-i0"},
                             0,
                             "1001 is too high a resolution.  Assuming 1000.\n"
                             "-2147483648 checksumlength is too small.  Assuming 32.\n",
                             out_kind::picture},
                    cli_case{{"-r16", "-l", "8"}, 0, "", out_kind::picture}));

TEST(HelpText, HasItsExactShape) {
    const std::string help = help_text();
    EXPECT_EQ(help.size(), 1481u);
    EXPECT_EQ(help.rfind("Tessadox 2.1 (https://tessadox.example)\nUsage: md5sum(sha1sum) foo.bar "
                         "| tessadox [Options] > foo.png\n",
                         0),
              0u);
    EXPECT_TRUE(help.ends_with("-?,-h      Print this help.\n\n"));
    std::vector<std::string> blank_ended;
    std::size_t start = 0;
    for (std::size_t end; (end = help.find('\n', start)) != std::string::npos; start = end + 1) {
        if (end > start && help[end - 1] == ' ') {
            blank_ended.push_back(help.substr(start, end - start));
        }
    }
    ASSERT_EQ(blank_ended.size(), 3u);
    EXPECT_TRUE(blank_ended[0].ends_with("produces a "));
    EXPECT_TRUE(blank_ended[1].ends_with("you are using. "));
    EXPECT_TRUE(blank_ended[2].ends_with("will quadruple "));
    EXPECT_EQ(std::count(help.begin(), help.end(), '\n'), 31);
}

// Pictures that show a setting: with -i 0 nothing is plotted, so every pixel
// is the background.
decoded_png picture(const std::vector<std::string>& args) {
    const run_result r = run(args);
    EXPECT_EQ(r.status, 0);
    return decode_png(r.out);
}

bool every_byte_is(const decoded_png& png, int value) {
    return png.valid && std::all_of(png.pixels.begin(), png.pixels.end(),
                                    [value](std::uint8_t byte) { return byte == value; });
}

TEST(Settings, BackgroundFromEitherFormAndTheLastOneWins) {
    EXPECT_TRUE(every_byte_is(picture({"-r8", "-i0", "-b128"}), 128));
    EXPECT_TRUE(every_byte_is(picture({"-r8", "-i0", "-b", "128"}), 128));
    EXPECT_TRUE(every_byte_is(picture({"-r8", "-i0", "-b", "-5"}), 251));
    EXPECT_TRUE(every_byte_is(picture({"-r8", "-i0", "-b9", "-b", "128"}), 128));
    EXPECT_TRUE(every_byte_is(picture({"-r8", "-i0", "-b", "40", "-b", ""}), 40));
    EXPECT_TRUE(every_byte_is(picture({"-r8", "-i0", "-b", "40", "-b  "}), 40));
    EXPECT_TRUE(every_byte_is(picture({"-r8", "-i0", "-b", "12.5"}), 12));
}

TEST(Settings, ResolutionSetsTheSize) {
    EXPECT_EQ(picture({"-r300px", "-i0"}).width, 300u);
    EXPECT_EQ(picture({"-r", "17", "-i0"}).height, 17u);
    EXPECT_EQ(picture({"-r", "1000", "-i0"}).width, 1000u);
    EXPECT_EQ(picture({"-r", "1001", "-i0"}).width, 1000u);
    EXPECT_EQ(picture({"-r5", "-r", "7", "-i0"}).width, 7u);
    EXPECT_EQ(picture({"-r", "", "-i0"}).width, 300u);
    EXPECT_EQ(picture({"-r7", "-r \t", "-i0"}).width, 7u);
    EXPECT_EQ(picture({"-i0"}).width, 300u);
}

TEST(Settings, ChecksumLengthCountsWholeGroups) {
    const std::string line = "0123456789abcdef0123456789abcdef"
                             "fedcba98"
                             "76543210\n";
    auto digest = [&](std::vector<std::string> args) {
        args.insert(args.end(), {"-r", "40"});
        return pixel_digest(decode_png(run_tessadox({.args = args, .input = line}).out));
    };
    const auto four_maps = digest({});
    EXPECT_EQ(digest({"-l", "39"}), four_maps);
    EXPECT_EQ(digest({"-l", "200"}), four_maps);
    EXPECT_EQ(digest({"-l", "3"}), four_maps);
    EXPECT_NE(digest({"-l", "40"}), four_maps);
    EXPECT_EQ(digest({"-l", "40"}), digest({"-l47"}));
    EXPECT_NE(digest({"-l", "48"}), digest({"-l", "40"}));
    EXPECT_EQ(digest({"-l", "40", "-l", ""}), digest({"-l", "40"}));
    EXPECT_EQ(digest({"-l40", "-l  "}), digest({"-l", "40"}));
}

// The digest of a 40 x 40 picture of md5_line.
std::uint64_t digest(std::vector<std::string> args) {
    args.insert(args.end(), {"-r", "40"});
    return pixel_digest(picture(args));
}

TEST(Settings, ColouringFlagsTheLastOneWins) {
    const auto gray = digest({"-g"}), areas = digest({"-a"}), mixed = digest({});
    EXPECT_NE(gray, areas);
    EXPECT_NE(gray, mixed);
    EXPECT_NE(areas, mixed);
    EXPECT_EQ(digest({"-a", "-g"}), gray);
    EXPECT_EQ(digest({"-g", "-a"}), areas);
    EXPECT_EQ(digest({"-g", "-a", "-g", "-g"}), gray);
}

TEST(Settings, IntensityWithoutStepsLeavesTheBackground) {
    // Not even the largest picture plots a point, whatever the product's size.
    for (const char* steps : {"0", "-1", "-2147483648"}) {
        EXPECT_TRUE(every_byte_is(picture({"-r8", "-b7", "-i", steps}), 7)) << steps;
        EXPECT_TRUE(every_byte_is(picture({"-r1000", "-b7", "-i", steps}), 7)) << steps;
    }
    // An empty or blank value keeps the intensity it follows.
    EXPECT_EQ(digest({"-i", ""}), digest({}));
    EXPECT_EQ(digest({"-i", "60", "-i  "}), digest({"-i", "60"}));
    EXPECT_NE(digest({"-i", "60"}), digest({}));
}

TEST(Settings, FlagsRepeatHarmlessly) {
    const auto once = run({"-r20", "-t", "-c"});
    const auto twice = run({"-t", "-r20", "-c", "-t", "-c"});
    EXPECT_EQ(once.status, 0);
    EXPECT_EQ(once.out, twice.out);
}

} // namespace
