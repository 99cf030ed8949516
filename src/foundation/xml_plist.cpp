#include "foundation/xml_plist.h"

#include <expat.h>

#include "foundation/message_text.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <unordered_set>
#include <vector>

namespace cogbook {

namespace {

constexpr std::size_t kMaxXmlDepth = 512;
constexpr long long kSecondsPerDay = 86400;

// ---------------------------------------------------------------------------
// Dates: the XML form keeps whole seconds in UTC, "2025-01-02T03:04:05Z".

long long referenceDay() {
    return daysFromCivil(2001, 1, 1);
}

std::optional<Date> parseXmlDate(std::string_view text) {
    // YYYY-MM-DDTHH:MM:SSZ
    if (text.size() != 20 || text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':' ||
        text[16] != ':' || text[19] != 'Z')
        return std::nullopt;
    const auto number = [&](std::size_t at, std::size_t length) -> std::optional<unsigned> {
        unsigned value = 0;
        for (std::size_t i = at; i < at + length; ++i) {
            if (text[i] < '0' || text[i] > '9') return std::nullopt;
            value = value * 10 + static_cast<unsigned>(text[i] - '0');
        }
        return value;
    };
    const auto year = number(0, 4), month = number(5, 2), day = number(8, 2);
    const auto hour = number(11, 2), minute = number(14, 2), second = number(17, 2);
    if (!year || !month || !day || !hour || !minute || !second) return std::nullopt;
    if (*month < 1 || *month > 12 || *day < 1 || *hour > 23 || *minute > 59 || *second > 59)
        return std::nullopt;
    const long long days = daysFromCivil(*year, *month, *day);
    // A day past the month's end comes back as a different date.
    const CivilDate check = civilFromDays(days);
    if (check.month != *month || check.day != *day) return std::nullopt;
    const long long seconds = (days - referenceDay()) * kSecondsPerDay + *hour * 3600LL +
                              *minute * 60LL + *second;
    return Date(static_cast<double>(seconds));
}

std::optional<std::string> formatXmlDate(Date date) {
    const double t = std::floor(date.timeIntervalSinceReferenceDate());
    // Years 1 to 9999: about +-3.2e11 seconds around 2001, which also keeps
    // the conversion to integers exact.
    if (!std::isfinite(t) || std::fabs(t) > 4e11) return std::nullopt;
    const auto total = static_cast<long long>(t);
    long long days = total / kSecondsPerDay;
    long long rest = total % kSecondsPerDay;
    if (rest < 0) {
        rest += kSecondsPerDay;
        --days;
    }
    const CivilDate civil = civilFromDays(days + referenceDay());
    if (civil.year < 1 || civil.year > 9999) return std::nullopt;
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04lld-%02u-%02uT%02lld:%02lld:%02lldZ", civil.year,
                  civil.month, civil.day, rest / 3600, rest / 60 % 60, rest % 60);
    return std::string(buffer);
}

// ---------------------------------------------------------------------------
// Base64

constexpr char kBase64Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::optional<PlistData> decodeBase64(std::string_view text) {
    PlistData out;
    out.reserve(text.size() / 4 * 3);
    std::uint32_t bits = 0;
    int sextets = 0;
    int padding = 0;
    for (const char c : text) {
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r') continue;
        if (c == '=') {
            ++padding;
            continue;
        }
        if (padding > 0) return std::nullopt; // data after padding
        const char* at = std::strchr(kBase64Alphabet, c);
        if (c == '\0' || at == nullptr) return std::nullopt;
        bits = (bits << 6) | static_cast<std::uint32_t>(at - kBase64Alphabet);
        if (++sextets == 4) {
            out.push_back(static_cast<std::uint8_t>(bits >> 16));
            out.push_back(static_cast<std::uint8_t>(bits >> 8));
            out.push_back(static_cast<std::uint8_t>(bits));
            bits = 0;
            sextets = 0;
        }
    }
    if (padding > 2) return std::nullopt;
    if (sextets == 1) return std::nullopt;
    if (sextets == 2) {
        out.push_back(static_cast<std::uint8_t>(bits >> 4));
    } else if (sextets == 3) {
        out.push_back(static_cast<std::uint8_t>(bits >> 10));
        out.push_back(static_cast<std::uint8_t>(bits >> 2));
    }
    return out;
}

std::string encodeBase64(const PlistData& data) {
    std::string out;
    out.reserve((data.size() + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 3 <= data.size(); i += 3) {
        const std::uint32_t bits = (data[i] << 16) | (data[i + 1] << 8) | data[i + 2];
        for (int shift = 18; shift >= 0; shift -= 6) out.push_back(kBase64Alphabet[(bits >> shift) & 63]);
    }
    if (data.size() - i == 1) {
        const std::uint32_t bits = data[i] << 16;
        out.push_back(kBase64Alphabet[(bits >> 18) & 63]);
        out.push_back(kBase64Alphabet[(bits >> 12) & 63]);
        out += "==";
    } else if (data.size() - i == 2) {
        const std::uint32_t bits = (data[i] << 16) | (data[i + 1] << 8);
        out.push_back(kBase64Alphabet[(bits >> 18) & 63]);
        out.push_back(kBase64Alphabet[(bits >> 12) & 63]);
        out.push_back(kBase64Alphabet[(bits >> 6) & 63]);
        out += "=";
    }
    return out;
}

// ---------------------------------------------------------------------------
// Reader

std::string_view trimmed(std::string_view text) {
    const auto space = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    while (!text.empty() && space(text.front())) text.remove_prefix(1);
    while (!text.empty() && space(text.back())) text.remove_suffix(1);
    return text;
}

std::optional<std::int64_t> parseInteger(std::string_view text) {
    text = trimmed(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::optional<double> parseReal(std::string_view text) {
    text = trimmed(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

enum class Tag { Plist, Dict, Array, Key, String, Integer, Real, Date, Data, True, False };

std::optional<Tag> tagNamed(std::string_view name) {
    static constexpr std::pair<std::string_view, Tag> kTags[] = {
        {"plist", Tag::Plist},     {"dict", Tag::Dict},   {"array", Tag::Array},
        {"key", Tag::Key},         {"string", Tag::String}, {"integer", Tag::Integer},
        {"real", Tag::Real},       {"date", Tag::Date},   {"data", Tag::Data},
        {"true", Tag::True},       {"false", Tag::False},
    };
    for (const auto& [n, tag] : kTags)
        if (n == name) return tag;
    return std::nullopt;
}

bool holdsText(Tag tag) {
    return tag == Tag::Key || tag == Tag::String || tag == Tag::Integer || tag == Tag::Real ||
           tag == Tag::Date || tag == Tag::Data;
}

struct Frame {
    Tag tag;
    std::string name;
    std::string text;                     // leaf elements
    PlistValue value;                     // containers, and plist's one value
    bool hasValue = false;                // plist: the value has been read
    std::optional<std::string> key;       // dict: the key waiting for its value
    std::unordered_set<std::string> keys; // dict: keys seen so far
};

class XmlReader {
public:
    XmlReader() : parser_(XML_ParserCreate(nullptr)) {
        if (parser_ == nullptr) throw PlistError("XML property list: cannot create a parser");
        XML_SetUserData(parser_, this);
        XML_SetElementHandler(parser_, &XmlReader::onStart, &XmlReader::onEnd);
        XML_SetCharacterDataHandler(parser_, &XmlReader::onText);
        XML_SetStartDoctypeDeclHandler(parser_, &XmlReader::onDoctype);
        XML_SetEntityDeclHandler(parser_, &XmlReader::onEntityDecl);
        XML_SetSkippedEntityHandler(parser_, &XmlReader::onSkippedEntity);
        XML_SetParamEntityParsing(parser_, XML_PARAM_ENTITY_PARSING_NEVER);
    }
    ~XmlReader() { XML_ParserFree(parser_); }
    XmlReader(const XmlReader&) = delete;
    XmlReader& operator=(const XmlReader&) = delete;

    PlistValue read(std::span<const std::uint8_t> bytes) {
        const auto status = XML_Parse(parser_, reinterpret_cast<const char*>(bytes.data()),
                                      static_cast<int>(bytes.size()), XML_TRUE);
        if (!error_.empty()) throw PlistError(error_);
        if (status != XML_STATUS_OK)
            throw PlistError("XML property list: line " + std::to_string(XML_GetCurrentLineNumber(parser_)) +
                             ": " + XML_ErrorString(XML_GetErrorCode(parser_)));
        if (!result_) throw PlistError("XML property list: no <plist> element");
        return std::move(*result_);
    }

private:
    // Handlers run inside expat's C code, which exceptions must not cross:
    // they record the first error and stop the parser.
    void stop(const std::string& what) {
        if (error_.empty())
            error_ = "XML property list: line " + std::to_string(XML_GetCurrentLineNumber(parser_)) +
                     ": " + what;
        XML_StopParser(parser_, XML_FALSE);
    }
    bool stopped() const { return !error_.empty(); }

    static void onStart(void* self, const XML_Char* name, const XML_Char** /*attributes*/) {
        auto* reader = static_cast<XmlReader*>(self);
        if (reader->stopped()) return;
        try {
            reader->start(name);
        } catch (const std::exception& e) {
            reader->stop(e.what());
        }
    }
    static void onEnd(void* self, const XML_Char* /*name*/) {
        auto* reader = static_cast<XmlReader*>(self);
        if (reader->stopped()) return;
        try {
            reader->end();
        } catch (const std::exception& e) {
            reader->stop(e.what());
        }
    }
    static void onText(void* self, const XML_Char* text, int length) {
        auto* reader = static_cast<XmlReader*>(self);
        if (reader->stopped()) return;
        try {
            reader->characters(std::string_view(text, static_cast<std::size_t>(length)));
        } catch (const std::exception& e) {
            reader->stop(e.what());
        }
    }
    static void onDoctype(void* self, const XML_Char*, const XML_Char*, const XML_Char*,
                          int hasInternalSubset) {
        // Entity declarations are how small files expand into huge ones; a
        // property list never needs them.
        if (hasInternalSubset) static_cast<XmlReader*>(self)->stop("DTD internal subsets are not allowed");
    }
    static void onEntityDecl(void* self, const XML_Char*, int, const XML_Char*, int, const XML_Char*,
                             const XML_Char*, const XML_Char*, const XML_Char*) {
        static_cast<XmlReader*>(self)->stop("entity declarations are not allowed");
    }
    static void onSkippedEntity(void* self, const XML_Char* name, int) {
        static_cast<XmlReader*>(self)->stop("undefined entity &" + shortenedForMessage(name, kQuotedTextLimit) + ";");
    }

    void start(std::string_view name) {
        const auto tag = tagNamed(name);
        if (!tag) throw PlistError("unknown element <" + shortenedForMessage(name, kQuotedTextLimit) + ">");
        if (stack_.empty()) {
            if (*tag != Tag::Plist) throw PlistError("the root element is <" + shortenedForMessage(name, kQuotedTextLimit) + ">, not <plist>");
        } else {
            Frame& parent = stack_.back();
            const std::string where = " inside <" + parent.name + ">";
            if (*tag == Tag::Plist) throw PlistError("<plist>" + where);
            switch (parent.tag) {
            case Tag::Plist:
                if (parent.hasValue) throw PlistError("a second value <" + std::string(name) + ">" + where);
                break;
            case Tag::Dict:
                if (*tag == Tag::Key && parent.key) throw PlistError("<key> without a value before it");
                if (*tag != Tag::Key && !parent.key) throw PlistError("<" + std::string(name) + "> without a <key>");
                break;
            case Tag::Array:
                if (*tag == Tag::Key) throw PlistError("<key>" + where);
                break;
            default:
                throw PlistError("<" + std::string(name) + ">" + where);
            }
        }
        // The plist element itself is one level; values nest below it.
        if (stack_.size() > kMaxXmlDepth)
            throw PlistError("nested deeper than " + std::to_string(kMaxXmlDepth) + " levels");
        Frame frame{*tag, std::string(name), {}, {}, false, std::nullopt, {}};
        if (*tag == Tag::Dict) frame.value = PlistValue(PlistDictionary{});
        if (*tag == Tag::Array) frame.value = PlistValue(PlistArray{});
        stack_.push_back(std::move(frame));
    }

    void characters(std::string_view text) {
        Frame& frame = stack_.back();
        if (holdsText(frame.tag)) {
            frame.text.append(text);
            return;
        }
        if (!trimmed(text).empty()) throw PlistError("unexpected text inside <" + frame.name + ">");
    }

    void end() {
        Frame frame = std::move(stack_.back());
        stack_.pop_back();
        if (frame.tag == Tag::Plist) {
            if (!frame.hasValue) throw PlistError("<plist> holds no value");
            result_ = std::move(frame.value);
            return;
        }
        PlistValue value;
        switch (frame.tag) {
        case Tag::Key: {
            Frame& dict = stack_.back();
            if (!dict.keys.insert(frame.text).second) throw PlistError("duplicate key " + quotedForMessage(frame.text));
            dict.key = std::move(frame.text);
            return;
        }
        case Tag::Dict:
            if (frame.key) throw PlistError("<key>" + shortenedForMessage(*frame.key, kQuotedTextLimit) + "</key> without a value");
            value = std::move(frame.value);
            break;
        case Tag::Array: value = std::move(frame.value); break;
        case Tag::String: value = PlistValue(std::move(frame.text)); break;
        case Tag::Integer: {
            const auto number = parseInteger(frame.text);
            if (!number) throw PlistError("bad integer " + quotedForMessage(frame.text));
            value = PlistValue(*number);
            break;
        }
        case Tag::Real: {
            const auto number = parseReal(frame.text);
            if (!number) throw PlistError("bad real " + quotedForMessage(frame.text));
            value = PlistValue(*number);
            break;
        }
        case Tag::Date: {
            const auto date = parseXmlDate(trimmed(frame.text));
            if (!date) throw PlistError("bad date " + quotedForMessage(frame.text));
            value = PlistValue(*date);
            break;
        }
        case Tag::Data: {
            auto data = decodeBase64(frame.text);
            if (!data) throw PlistError("bad base64 data");
            value = PlistValue(std::move(*data));
            break;
        }
        case Tag::True: value = PlistValue(true); break;
        case Tag::False: value = PlistValue(false); break;
        case Tag::Plist: break;
        }
        Frame& parent = stack_.back();
        switch (parent.tag) {
        case Tag::Plist:
            parent.value = std::move(value);
            parent.hasValue = true;
            break;
        case Tag::Dict:
            parent.value.dictionary().emplace_back(std::move(*parent.key), std::move(value));
            parent.key.reset();
            break;
        default: parent.value.array().push_back(std::move(value)); break;
        }
    }

    XML_Parser parser_;
    std::vector<Frame> stack_;
    std::optional<PlistValue> result_;
    std::string error_;
};

// ---------------------------------------------------------------------------
// Writer

void appendEscaped(std::string& out, std::string_view text) {
    for (std::size_t pos = 0; pos < text.size();) {
        const char32_t cp = nextCodePoint(text, pos);
        switch (cp) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        // A raw carriage return would come back as a line feed.
        case '\r': out += "&#13;"; break;
        default:
            // XML 1.0 has no way to write the other control characters, not
            // even as references; a file that holds one could not be read.
            if ((cp < 0x20 && cp != '\t' && cp != '\n') || cp == 0xFFFE || cp == 0xFFFF)
                throw PlistError("XML property list: a string holds control character " +
                                 std::to_string(static_cast<unsigned>(cp)) + ", which XML cannot hold");
            appendUtf8(out, cp);
        }
    }
}

class XmlWriter {
public:
    std::string write(const PlistValue& value) {
        out_ = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
               "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
               "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
               "<plist version=\"1.0\">\n";
        writeValue(value, 0);
        out_ += "</plist>\n";
        return std::move(out_);
    }

private:
    void indent(std::size_t depth) { out_.append(depth, '\t'); }

    void leaf(std::size_t depth, const char* tag, std::string_view text, bool escape = true) {
        indent(depth);
        out_ += '<';
        out_ += tag;
        out_ += '>';
        if (escape) appendEscaped(out_, text);
        else out_ += text;
        out_ += "</";
        out_ += tag;
        out_ += ">\n";
    }

    void writeValue(const PlistValue& value, std::size_t depth) {
        if (depth >= kMaxXmlDepth)
            throw PlistError("XML property list: value nested deeper than " + std::to_string(kMaxXmlDepth) +
                             " levels");
        switch (value.type()) {
        case PlistValue::Type::Null: throw PlistError("XML property list: null cannot be written");
        case PlistValue::Type::Uid: throw PlistError("XML property list: a UID cannot be written");
        case PlistValue::Type::String: leaf(depth, "string", value.string()); break;
        case PlistValue::Type::Integer: leaf(depth, "integer", std::to_string(value.integer()), false); break;
        case PlistValue::Type::Real: {
            // The shortest form that reads back as the same double.
            char buffer[64];
            const auto result = std::to_chars(buffer, buffer + sizeof buffer, value.real());
            leaf(depth, "real", std::string_view(buffer, static_cast<std::size_t>(result.ptr - buffer)), false);
            break;
        }
        case PlistValue::Type::Boolean:
            indent(depth);
            out_ += value.boolean() ? "<true/>\n" : "<false/>\n";
            break;
        case PlistValue::Type::Date: {
            const auto text = formatXmlDate(value.date());
            if (!text) throw PlistError("XML property list: a date outside the years 1 to 9999");
            leaf(depth, "date", *text, false);
            break;
        }
        case PlistValue::Type::Data:
            indent(depth);
            out_ += "<data>\n";
            {
                const std::string encoded = encodeBase64(value.data());
                constexpr std::size_t kLine = 68;
                for (std::size_t at = 0; at < encoded.size(); at += kLine) {
                    indent(depth);
                    out_.append(encoded, at, kLine);
                    out_ += '\n';
                }
            }
            indent(depth);
            out_ += "</data>\n";
            break;
        case PlistValue::Type::Array:
            indent(depth);
            if (value.array().empty()) {
                out_ += "<array/>\n";
                break;
            }
            out_ += "<array>\n";
            for (const auto& element : value.array()) writeValue(element, depth + 1);
            indent(depth);
            out_ += "</array>\n";
            break;
        case PlistValue::Type::Dictionary:
            indent(depth);
            if (value.dictionary().empty()) {
                out_ += "<dict/>\n";
                break;
            }
            out_ += "<dict>\n";
            for (const auto& [key, element] : value.dictionary()) {
                leaf(depth + 1, "key", key);
                writeValue(element, depth + 1);
            }
            indent(depth);
            out_ += "</dict>\n";
            break;
        }
    }

    std::string out_;
};

} // namespace

PlistValue readXmlPlist(std::span<const std::uint8_t> bytes) {
    if (bytes.size() > kMaxXmlPlistBytes)
        throw PlistError("XML property list: " + std::to_string(bytes.size()) + " bytes, more than the limit of " +
                         std::to_string(kMaxXmlPlistBytes));
    XmlReader reader;
    return reader.read(bytes);
}

std::string writeXmlPlist(const PlistValue& value) {
    XmlWriter writer;
    return writer.write(value);
}

} // namespace cogbook
