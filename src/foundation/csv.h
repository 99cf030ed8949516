// Comma-separated values: a strict reader and a writer of the common form
// (fields separated by commas, records by CRLF or LF, fields quoted with
// double quotes when they hold a comma, a quote or a line break, a quote
// inside written twice). Text is UTF-8; a byte-order mark at the start is
// skipped.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace cogbook {

// Why text is no CSV. The message starts with the line: "line 4: ...".
class CsvError : public std::runtime_error {
public:
    CsvError(std::size_t line, const std::string& what);
    std::size_t line() const { return line_; }

private:
    std::size_t line_;
};

struct CsvRecord {
    std::size_t line; // where the record starts, from 1
    std::vector<std::string> fields;
};

// Every record of TEXT. An empty line is a record of one empty field; a
// final line break ends the last record rather than starting one. Throws
// CsvError for a quote inside an unquoted field, text after a closing quote,
// a quote left open, a carriage return without its line feed, or bytes that
// are not UTF-8.
std::vector<CsvRecord> readCsv(std::string_view text);

// FIELD as written in a record: quoted when it has to be.
std::string csvField(std::string_view field);
// FIELDS as one record, ended with CRLF.
std::string csvRecord(const std::vector<std::string>& fields);

} // namespace cogbook
