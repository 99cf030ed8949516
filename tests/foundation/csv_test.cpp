// The CSV reader and writer: quoting, line breaks inside fields, byte-order
// marks, and refusals that name their line.
#include <gtest/gtest.h>

#include "foundation/csv.h"

namespace cogbook {
namespace {

using Rows = std::vector<std::vector<std::string>>;

Rows fieldsOf(std::string_view text) {
    Rows rows;
    for (auto& record : readCsv(text)) rows.push_back(std::move(record.fields));
    return rows;
}

TEST(Csv, ReadsTheCommonForm) {
    const std::vector<std::pair<std::string, Rows>> cases = {
        {"a,b\r\nc,d\r\n", {{"a", "b"}, {"c", "d"}}},
        {"a,b\nc,d", {{"a", "b"}, {"c", "d"}}},
        {"\xEF\xBB\xBF" "Date,Part\n", {{"Date", "Part"}}},
        {"\"x, y\",\"say \"\"hi\"\"\",\"two\r\nlines\"\n", {{"x, y", "say \"hi\"", "two\r\nlines"}}},
        {",\n\n\"\"\n", {{"", ""}, {""}, {""}}},
        {"tail,\n", {{"tail", ""}}},
        {"Pièce › Roue,🚲\n", {{"Pièce › Roue", "🚲"}}},
        {"", {}},
    };
    for (const auto& [text, rows] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(fieldsOf(text), rows);
    }
    // A record's line is where it starts, line breaks in quotes counted.
    const auto records = readCsv("h\n\"1\n2\n3\"\nnext\n");
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[2].line, 5u);
}

TEST(Csv, RefusesWhatIsNotCsvNamingTheLine) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"a\nb\"c\n", "line 2: a quote inside a field that does not start with one"},
        {"a\n\"b\"c\n", "line 2: text follows a closing quote"},
        {"a\n\"open\nstill open\n", "line 2: a quoted field is never closed"},
        {"a\rb\n", "line 1: a carriage return without a line feed"},
        {"ok\nok\n\xC3\x28\n", "line 3: the text is not UTF-8"},
    };
    for (const auto& [text, message] : cases) {
        SCOPED_TRACE(text);
        try {
            readCsv(text);
            ADD_FAILURE() << "accepted";
        } catch (const CsvError& error) {
            EXPECT_EQ(error.what(), message);
        }
    }
}

TEST(Csv, WritesWhatItReadsBack) {
    const std::vector<std::string> fields = {"plain", "comma, inside", "quote \"q\"", "line\nbreak", "", "crlf\r\n"};
    const std::string record = csvRecord(fields);
    EXPECT_EQ(record, "plain,\"comma, inside\",\"quote \"\"q\"\"\",\"line\nbreak\",,\"crlf\r\n\"\r\n");
    EXPECT_EQ(fieldsOf(record), Rows{fields});
}

} // namespace
} // namespace cogbook
