// What the helpers share on the command line: options read one at a time
// through getopt_long, a one-line complaint followed by the usage, the
// help and --version answers, and the exit statuses.
#pragma once

#include <getopt.h>

// Like grep's: done or found, the answer is no, trouble (a wrong command
// line, input that cannot be read, output that cannot be written).
inline constexpr int EXIT_DONE = 0;
inline constexpr int EXIT_NO = 1;
inline constexpr int EXIT_TROUBLE = 2;

// The id of --version in an option table; -h and --help share 'h'.
inline constexpr int OPTION_VERSION = 0x100;
// Entries of an option table: an option alone, or one that takes a value.
constexpr option flag_option(const char* name, int id) {
    return {name, no_argument, nullptr, id};
}
constexpr option value_option(const char* name, int id) {
    return {name, required_argument, nullptr, id};
}
inline constexpr option HELP_OPTION = flag_option("help", 'h');
inline constexpr option VERSION_OPTION = flag_option("version", OPTION_VERSION);

// A helper's words about itself.
struct tool_text {
    const char* name;   // as its messages begin: "zentu-play"
    const char* usage;  // the usage lines, each ending in a newline
    const char* help;   // what --help prints after the usage
};

enum arg_kind : int {
    ARG_END,      // no argument left
    ARG_OPTION,   // an option of the table, written out whole
    ARG_OPERAND,  // not an option: a word, "-" or "--"
    ARG_UNKNOWN,  // looks like an option, but none of the table as written
    ARG_MISSING,  // an option of the table whose value is not there
};

// Reads argv[next..argc-1]. An option counts only written out whole: no
// abbreviation, no letters run together, a value attached by "=" only to a
// long option and only when joined is set. Option ids (val) are unique
// within longs and shorts.
struct arg_reader {
    int argc = 0;
    char** argv = nullptr;
    const char* shorts = "";        // getopt's letters, as "ho:"
    const option* longs = nullptr;  // ended by an entry of zeros
    bool joined = false;            // "--name=VALUE" as well as "--name VALUE"
    int next = 0;                   // the argument to read next
};

struct arg {
    arg_kind kind = ARG_END;
    int id = 0;                   // the option's val (ARG_OPTION, ARG_MISSING)
    const char* text = nullptr;   // the argument as given
    const char* value = nullptr;  // the option's value, when it takes one
};

// The next argument, moving r->next past what it took: an option's value
// too; one argument for anything that is not an option of the table.
[[nodiscard]] arg next_arg(arg_reader* r);

// Standard output: the usage and help for id 'h', else "NAME VERSION".
void print_answer(const tool_text& tool, int id);

// The usage on standard error. Returns EXIT_TROUBLE.
int show_usage(const tool_text& tool);

// "NAME: WHAT ARG" and the usage on standard error. Returns EXIT_TROUBLE.
int complain(const tool_text& tool, const char* what, const char* arg = "");
