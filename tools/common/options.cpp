// SPDX-License-Identifier: MIT
// The helpers' command lines: options by their whole names, usage, help.
#include "options.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "version.h"

namespace {

// The entry that text names, or null. *value is set to what follows "="
// in a long option, where a value may be joined to it.
const tool_option* find_option(const arg_reader& r, const char* text, const char** value) {
    // The name: up to "=" in a long option. A loop, not strcspn, which
    // would bring its own code into the programs linked statically.
    const bool is_long = text[1] == '-';
    size_t n = 0;
    while (text[n] != '\0' && !(is_long && text[n] == '=')) {
        ++n;
    }
    for (const tool_option* o = r.options; o->name != nullptr; ++o) {
        if (strlen(o->name) != n || strncmp(text, o->name, n) != 0) {
            continue;
        }
        if (text[n] == '=' && !(r.joined && o->takes_value)) {
            return nullptr;
        }
        *value = text[n] == '=' ? text + n + 1 : nullptr;
        return o;
    }
    return nullptr;
}

}  // namespace

arg next_arg(arg_reader* r) {
    arg a;
    if (r->next >= r->argc) {
        return a;
    }
    const char* text = r->argv[r->next++];
    a.text = text;
    const tool_option* o = nullptr;
    // "-" and "--" are words like any other: the helpers give "--" no
    // meaning of its own.
    const char* after_dashes = text + (text[0] == '-') + (text[0] == '-' && text[1] == '-');
    if (text[0] != '-' || *after_dashes == '\0') {
        a.kind = ARG_OPERAND;
    } else if ((o = find_option(*r, text, &a.value)) == nullptr) {
        a.kind = ARG_UNKNOWN;
    } else {
        if (o->takes_value && a.value == nullptr && r->next < r->argc) {
            a.value = r->argv[r->next++];
        }
        a.id = o->id;
        a.kind = o->takes_value && a.value == nullptr ? ARG_MISSING : ARG_OPTION;
    }
    return a;
}

void print_answer(const tool_text& tool, int id) {
    if (id == 'h') {
        fputs(tool.usage, stdout);
        fputs(tool.help, stdout);
    } else {
        printf("%s " ZENTU_VERSION "\n", tool.name);
    }
}

int finish_output(const tool_text& tool, int status) {
    if (fflush(stdout) == 0 && ferror(stdout) == 0) {
        return status;
    }
    const int error = errno;
    fprintf(stderr, "%s: cannot write the output: %s\n", tool.name,
            error != 0 ? strerror(error) : "write error");
    return EXIT_TROUBLE;
}

int show_usage(const tool_text& tool) {
    fputs(tool.usage, stderr);
    return EXIT_TROUBLE;
}

int complain(const tool_text& tool, const char* what, const char* arg) {
    fprintf(stderr, "%s: %s%s\n", tool.name, what, arg);
    return show_usage(tool);
}
