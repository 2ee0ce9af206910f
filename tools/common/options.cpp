// The helpers' command lines, read through getopt_long.
#include "options.h"

#include <cstdio>
#include <cstring>

#include "version.h"

namespace {

// Whether text is the option id as the table spells it, and not an
// abbreviation of it, letters run together or a value it may not have.
bool written_whole(const arg_reader& r, int id, const char* text) {
    if (text[1] != '-') {
        return text[1] == id && text[2] == '\0';
    }
    for (const option* o = r.longs; o != nullptr && o->name != nullptr; ++o) {
        const size_t n = strlen(o->name);
        if (o->val == id && strncmp(text + 2, o->name, n) == 0) {
            const char after = text[2 + n];
            return after == '\0' || (after == '=' && r.joined && o->has_arg == required_argument);
        }
    }
    return false;
}

}  // namespace

arg next_arg(arg_reader* r) {
    arg a;
    if (r->next >= r->argc) {
        return a;
    }
    char* text = r->argv[r->next];
    a.text = text;
    if (text[0] != '-' || strcmp(text, "-") == 0 || strcmp(text, "--") == 0) {
        a.kind = ARG_OPERAND;
        ++r->next;
        return a;
    }
    // getopt_long sees this argument and the next, which may be its value,
    // from a fresh start: nothing of an earlier argument carries over, and
    // with an option first there is nothing to move about. The leading
    // colon has a missing value told apart from an unknown option.
    char* window[] = {text, text, r->next + 1 < r->argc ? r->argv[r->next + 1] : nullptr, nullptr};
    char spec[32];
    snprintf(spec, sizeof spec, ":%s", r->shorts);
    optind = 0;
    opterr = 0;
    const int c = getopt_long(window[2] != nullptr ? 3 : 2, window, spec, r->longs, nullptr);
    const int id = c == ':' ? optopt : c;
    const bool whole = c != '?' && written_whole(*r, id, text);
    a.kind = !whole ? ARG_UNKNOWN : c == ':' ? ARG_MISSING : ARG_OPTION;
    a.id = whole ? id : 0;
    a.value = a.kind == ARG_OPTION ? optarg : nullptr;
    r->next += a.kind == ARG_OPTION ? optind - 1 : 1;
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

int show_usage(const tool_text& tool) {
    fputs(tool.usage, stderr);
    return EXIT_TROUBLE;
}

int complain(const tool_text& tool, const char* what, const char* arg) {
    fprintf(stderr, "%s: %s%s\n", tool.name, what, arg);
    return show_usage(tool);
}
