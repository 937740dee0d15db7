// The option-value scan: what a "%d" scan accepts, minus its overflow.
#include <gtest/gtest.h>

#include "options.hpp"

namespace {

struct scan_case {
    const char* text;
    bool accepted;
    int value; // the setting afterwards; it starts at 77
};

class ScanOptionValue : public testing::TestWithParam<scan_case> {};

TEST_P(ScanOptionValue, AcceptsLikeADecimalScan) {
    const scan_case& c = GetParam();
    int setting = 77;
    EXPECT_EQ(scan_option_value(c.text, &setting), c.accepted) << '[' << c.text << ']';
    EXPECT_EQ(setting, c.value) << '[' << c.text << ']';
}

INSTANTIATE_TEST_SUITE_P(Texts, ScanOptionValue,
                         testing::Values(scan_case{"128", true, 128}, scan_case{"-5", true, -5},
                                         scan_case{"+5", true, 5}, scan_case{"-0", true, 0},
                                         scan_case{" \t\n\v\f\r12", true, 12},
                                         scan_case{"300px", true, 300}, scan_case{"12.5", true, 12},
                                         scan_case{"0x10", true, 0}, scan_case{"007", true, 7},
                                         // nothing to read: accepted, the setting keeps its value
                                         scan_case{"", true, 77}, scan_case{"   ", true, 77},
                                         // no leading integer
                                         scan_case{"abc", false, 77}, scan_case{"px", false, 77},
                                         scan_case{"-", false, 77}, scan_case{"+", false, 77},
                                         scan_case{" -", false, 77}, scan_case{"- 5", false, 77},
                                         scan_case{"--5", false, 77}, scan_case{"+-5", false, 77},
                                         // the int range, and past it
                                         scan_case{"2147483647", true, 2147483647},
                                         scan_case{"-2147483648", true, -2147483647 - 1},
                                         scan_case{"2147483648", false, 77},
                                         scan_case{"-2147483649", false, 77},
                                         scan_case{"99999999999", false, 77},
                                         scan_case{"-3000000000", false, 77},
                                         scan_case{"99999999999999999999999999", false, 77}));

} // namespace
