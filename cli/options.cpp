#include "options.hpp"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "standard_output.hpp"

const char version_text[] = "Tessadox 2.1 by the Tessadox developers (https://tessadox.example)\n";

// One source line per line of help. Three lines end in a blank, and the
// text ends in an empty line.
// clang-format off
const char usage_text[] =
    "Tessadox 2.1 (https://tessadox.example)\n"
    "Usage: md5sum(sha1sum) foo.bar | tessadox [Options] > foo.png\n"
    "Options:\n"
    "\n"
    "-b(0-255)  Use the given background brightness. 0 means black, 255 means white. You can try other values,\n"
    "           but the resultant image will be quite ugly.The default is 0 (black).\n"
    "\n"
    "-c         Use the alternate coloring method. Flips RGB to BGR.\n"
    "\n"
    "-a         Create the fractal with 4 different color areas.\n"
    "\n"
    "-g         Create a semi-grayscale image. The output varies heavily depending on the -b switch.\n"
    "\n"
    "-i(1-lots) Use the given intensity of color. With a black background, a higher intensity produces a \n"
    "           brighter image. With a white background, higher intensity produces a darker image.\n"
    "           In all cases, calculation time doubles every time you double the intensity. The default is 30.\n"
    "\n"
    "-l(32-128) Use the given checksum length. Modify this number to match the hash function you are using. \n"
    "           Examples: 32 for md5, 40 for sha1, 64 for sha256, 128 for sha512...\n"
    "           The output of 128 is foggy (but still useful). Higher values will result in crappy images,\n"
    "           therefore 128 is the maximum accepted. The default value is 32.\n"
    "\n"
    "-r(1-1000) Use the given value for both the x and y resolutions. The calculation time will quadruple \n"
    "           every time you double this value. The default is 300.\n"
    "\n"
    "-t         Create the image with a transparent background.\n"
    "\n"
    "-v         Print version information.\n"
    "\n"
    "-?,-h      Print this help.\n"
    "\n";
// clang-format on

static const char bad_switch_message[] =
    "Unknown command line switch. Try -? or --help for more information.\n";

bool scan_option_value(const char* text, int* setting) {
    while (std::isspace(static_cast<unsigned char>(*text))) {
        ++text;
    }
    if (*text == '\0') {
        return true; // nothing to read: the setting keeps its value
    }
    const char* digits = text + (*text == '+' || *text == '-');
    if (!std::isdigit(static_cast<unsigned char>(*digits))) {
        return false;
    }
    errno = 0;
    const long value = std::strtol(text, nullptr, 10);
    if (errno == ERANGE || value < INT_MIN || value > INT_MAX) {
        return false;
    }
    *setting = static_cast<int>(value);
    return true;
}

[[noreturn]] static void refuse(const char* message) {
    std::fputs(message, stderr);
    std::exit(1);
}

[[noreturn]] static void print_and_exit(const char* text) {
    std::fputs(text, stdout);
    close_standard_output();
    std::exit(0);
}

// The messages of a value option, attached (-b128) and separate (-b 128).
struct value_option {
    char letter;
    int option;
    const char* attached_message;
    const char* separate_message;
};

static const value_option value_options[] = {
    {'b', TESSADOX_BACKGROUND, "invalid background on command line",
     "invalid background on command line"},
    {'i', TESSADOX_INTENSITY, "invalid intensity on command line",
     "invalid intensity on command line"},
    {'l', TESSADOX_CHECKSUM_LENGTH, "invalid checksum length on command line",
     "invalid checksum length on command line \n"},
    {'r', TESSADOX_RESOLUTION, "invalid resolution on command line \n",
     "invalid resolution on command line \n"},
};

static const value_option* find_value_option(char letter) {
    for (const value_option& option : value_options) {
        if (option.letter == letter) {
            return &option;
        }
    }
    return nullptr;
}

// What the arguments have said so far: the options, and for each value
// option the value it was last given with what setting it answered.
struct reading {
    tessadox_options* options;
    long long given[TESSADOX_MAX_STEPS + 1];
    int answer[TESSADOX_MAX_STEPS + 1];
};

static void set_value(reading* read, int option, int value) {
    // The library takes a checksum length of 0 for the checksum's own; the
    // command has no such length, and 0 is too short like any below 8.
    const long long setting = option == TESSADOX_CHECKSUM_LENGTH && value == 0 ? -1 : value;
    read->given[option] = value;
    read->answer[option] = tessadox_options_set(read->options, option, setting);
}

// Reads the value at `text` into the option; false when it cannot be read.
// Blank text leaves the option, and what it answered, as they were.
static bool read_value(reading* read, int option, const char* text) {
    const bool blank = text[std::strspn(text, " \t\n\v\f\r")] == '\0';
    int value = 0;
    if (!scan_option_value(text, &value)) {
        return false;
    }
    if (!blank) {
        set_value(read, option, value);
    }
    return true;
}

// Applies the value option at argv[i]; returns the index of the last
// argument it used.
static int apply_value_option(const value_option& option, int argc, char** argv, int i,
                              reading* read) {
    const char* attached = argv[i] + 2;
    if (*attached != '\0') {
        if (!read_value(read, option.option, attached)) {
            refuse(option.attached_message);
        }
        return i;
    }
    // No value after the last argument is refused like a value that cannot be read.
    if (i + 1 >= argc || !read_value(read, option.option, argv[i + 1])) {
        refuse(option.separate_message);
    }
    return i + 1;
}

static void apply_argument(int argc, char** argv, int* i, reading* read) {
    const char* argument = argv[*i];
    if (std::strcmp(argument, "-a") == 0) {
        tessadox_options_set(read->options, TESSADOX_COLOR_MODE, TESSADOX_AREAS);
    } else if (std::strcmp(argument, "-c") == 0) {
        tessadox_options_set(read->options, TESSADOX_FLIP_BGR, 1);
    } else if (std::strcmp(argument, "-g") == 0) {
        tessadox_options_set(read->options, TESSADOX_COLOR_MODE, TESSADOX_GRAY);
    } else if (std::strcmp(argument, "-t") == 0) {
        tessadox_options_set(read->options, TESSADOX_TRANSPARENT, 1);
    } else if (argument[0] == '-' && argument[1] != '\0' && find_value_option(argument[1])) {
        *i = apply_value_option(*find_value_option(argument[1]), argc, argv, *i, read);
    } else if (std::strcmp(argument, "-?") == 0 || std::strcmp(argument, "-h") == 0 ||
               std::strcmp(argument, "--help") == 0) {
        print_and_exit(usage_text);
    } else if (std::strcmp(argument, "-v") == 0) {
        print_and_exit(version_text);
    } else {
        refuse(bad_switch_message);
    }
}

// A notice for each value that the library replaced, with the value given.
static void tell_replaced(const reading& read) {
    long long stored = 0;
    if (read.answer[TESSADOX_RESOLUTION] == TESSADOX_CLAMPED) {
        tessadox_options_get(read.options, TESSADOX_RESOLUTION, &stored);
        std::fprintf(stderr, "%lld is too high a resolution.  Assuming %lld.\n",
                     read.given[TESSADOX_RESOLUTION], stored);
    }
    if (read.answer[TESSADOX_CHECKSUM_LENGTH] == TESSADOX_CLAMPED) {
        tessadox_options_get(read.options, TESSADOX_CHECKSUM_LENGTH, &stored);
        const long long given = read.given[TESSADOX_CHECKSUM_LENGTH];
        std::fprintf(stderr, "%lld checksumlength is %s.  Assuming %lld.\n", given,
                     given > stored ? "too big" : "too small", stored);
    }
}

int parse_options(int argc, char** argv, tessadox_options* options) {
    reading read{options, {}, {}};
    for (int i = 1; i < argc; ++i) {
        apply_argument(argc, argv, &i, &read);
    }
    tell_replaced(read);
    return read.answer[TESSADOX_RESOLUTION] == TESSADOX_E_RANGE ? TESSADOX_E_RANGE : TESSADOX_OK;
}
