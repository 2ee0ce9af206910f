// SPDX-License-Identifier: MIT
// Table-driven tests: each row type derives from test_case, so every table
// prints and names its rows the same way. A table reads:
//
//   struct run_case : test_case { std::vector<std::string> args; int status; };
//   using runs = table<run_case>;
//   TEST_P(runs, end_as_documented) { ... GetParam() ... }
//   const run_case rows[] = {
//       {"x_and_y", {"-x", "-y"}, 0},
//   };
//   INSTANTIATE_TEST_SUITE_P(outputs, runs, testing::ValuesIn(rows), row_name{});
#pragma once

#include <gtest/gtest.h>

#include <concepts>
#include <ostream>
#include <string>

// The base of every table row: the name shown in test listings.
struct test_case {
    const char* name;
};

// Shows a row as its name in failure messages instead of dumping its bytes.
template <class Row>
requires std::derived_from<Row, test_case>
void PrintTo(const Row& row, std::ostream* os) {
    *os << row.name;
}

// Names each instantiated test after its row (the last argument of
// INSTANTIATE_TEST_SUITE_P).
struct row_name {
    template <class Row>
    std::string operator()(const testing::TestParamInfo<Row>& info) const {
        return info.param.name;
    }
};

// The fixture of a table: `using suite = table<row>;` then TEST_P(suite, ...).
template <class Row>
using table = testing::TestWithParam<Row>;
