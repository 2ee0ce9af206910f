// SPDX-License-Identifier: MIT
// What the helpers share on the command line: options read one at a time
// from a table, a one-line complaint followed by the usage, the help and
// --version answers, and the exit statuses.
//
// Options count only written out whole, as the helpers have always read
// them: no abbreviation, no letters run together, no value glued to a
// short option, a value after "=" only where a tool takes it. getopt_long
// does all of these, and undoing them on top of it cost more than the
// whole reader (4 KB of each program linked statically for the device).
#pragma once

// Like grep's: done or found, the answer is no, trouble (a wrong command
// line, input that cannot be read, output that cannot be written).
inline constexpr int EXIT_DONE = 0;
inline constexpr int EXIT_NO = 1;
inline constexpr int EXIT_TROUBLE = 2;

// An entry of an option table, named as it is written: "-o", "--hold".
struct tool_option {
    const char* name = nullptr;
    int id = 0;
    bool takes_value = false;
};
constexpr tool_option flag_option(const char* name, int id) {
    return {name, id, false};
}
constexpr tool_option value_option(const char* name, int id) {
    return {name, id, true};
}

// -h, --help and --version, in every table: -h and --help share the id 'h'.
inline constexpr int OPTION_VERSION = 0x100;
inline constexpr tool_option SHORT_HELP_OPTION = flag_option("-h", 'h');
inline constexpr tool_option HELP_OPTION = flag_option("--help", 'h');
inline constexpr tool_option VERSION_OPTION = flag_option("--version", OPTION_VERSION);

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

// Reads argv[next..argc-1]. An option's value is the next argument,
// whatever it looks like, or when joined is set, what follows "=" in a
// long option.
struct arg_reader {
    int argc = 0;
    char** argv = nullptr;
    const tool_option* options = nullptr;  // ended by an entry without a name
    bool joined = false;                   // "--name=VALUE" as well as "--name VALUE"
    int next = 0;                          // the argument to read next
};

struct arg {
    arg_kind kind = ARG_END;
    int id = 0;                   // the option's id (ARG_OPTION, ARG_MISSING)
    const char* text = nullptr;   // the argument as given
    const char* value = nullptr;  // the option's value, when it takes one
};

// The next argument, moving r->next past what it took: an option's value
// too; one argument for anything that is not an option of the table.
[[nodiscard]] arg next_arg(arg_reader* r);

// Standard output: the usage and help for id 'h', else "NAME VERSION".
void print_answer(const tool_text& tool, int id);

// Flushes standard output. Returns status, or EXIT_TROUBLE after saying
// that the output could not be written; errno still tells why the first
// write that failed did.
[[nodiscard]] int finish_output(const tool_text& tool, int status);

// The usage on standard error. Returns EXIT_TROUBLE.
int show_usage(const tool_text& tool);

// "NAME: WHAT ARG" and the usage on standard error. Returns EXIT_TROUBLE.
int complain(const tool_text& tool, const char* what, const char* arg = "");
