#include "foundation/csv.h"

#include "foundation/plist.h"

namespace cogbook {

CsvError::CsvError(std::size_t line, const std::string& what)
    : std::runtime_error("line " + std::to_string(line) + ": " + what), line_(line) {}

namespace {

// The line of the first byte that is not UTF-8, or 0.
std::size_t lineOfBadUtf8(std::string_view text) {
    std::size_t line = 1;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t start = pos;
        if (text[pos] == '\n') ++line;
        if (static_cast<unsigned char>(text[pos]) < 0x80) {
            ++pos;
            continue;
        }
        // A true U+FFFD takes three bytes; a bad sequence reads as one.
        if (nextCodePoint(text, pos) == 0xFFFD && pos - start != 3) return line;
    }
    return 0;
}

} // namespace

std::vector<CsvRecord> readCsv(std::string_view text) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    if (const std::size_t bad = lineOfBadUtf8(text)) throw CsvError(bad, "the text is not UTF-8");

    std::vector<CsvRecord> records;
    std::size_t line = 1;
    std::size_t pos = 0;
    while (pos < text.size()) {
        CsvRecord record{line, {}};
        for (;;) { // one field per turn
            std::string field;
            if (pos < text.size() && text[pos] == '"') {
                const std::size_t opened = line;
                ++pos;
                for (;;) {
                    if (pos >= text.size()) throw CsvError(opened, "a quoted field is never closed");
                    const char c = text[pos++];
                    if (c == '"') {
                        if (pos < text.size() && text[pos] == '"') {
                            field += '"';
                            ++pos;
                            continue;
                        }
                        break;
                    }
                    if (c == '\n') ++line;
                    field += c;
                }
                if (pos < text.size() && text[pos] != ',' && text[pos] != '\n' && text[pos] != '\r')
                    throw CsvError(line, "text follows a closing quote");
            } else {
                const std::size_t end = text.find_first_of(",\"\r\n", pos);
                const std::size_t stop = end == std::string_view::npos ? text.size() : end;
                if (stop < text.size() && text[stop] == '"')
                    throw CsvError(line, "a quote inside a field that does not start with one");
                field.assign(text.substr(pos, stop - pos));
                pos = stop;
            }
            record.fields.push_back(std::move(field));
            if (pos >= text.size()) break;
            if (text[pos] == ',') {
                ++pos;
                continue;
            }
            if (text[pos] == '\r') {
                if (pos + 1 >= text.size() || text[pos + 1] != '\n')
                    throw CsvError(line, "a carriage return without a line feed");
                ++pos;
            }
            ++pos; // the line feed
            ++line;
            break;
        }
        records.push_back(std::move(record));
    }
    return records;
}

std::string csvField(std::string_view field) {
    if (field.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(field);
    std::string quoted = "\"";
    for (char c : field) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

std::string csvRecord(const std::vector<std::string>& fields) {
    std::string out;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) out += ',';
        out += csvField(fields[i]);
    }
    out += "\r\n";
    return out;
}

} // namespace cogbook
