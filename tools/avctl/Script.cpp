#include "Script.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>

namespace avctl {

std::vector<Token> Tokenize(const std::string& line) {
    std::vector<Token> tokens;
    size_t i = 0;
    const size_t n = line.size();
    while (i < n) {
        const char c = line[i];
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            ++i;
            continue;
        }
        if (c == '#') {
            break;
        }
        Token token;
        if (c == '"') {
            token.quoted = true;
            ++i;
            bool closed = false;
            while (i < n) {
                if (line[i] == '\\' && i + 1 < n && (line[i + 1] == '"' || line[i + 1] == '\\')) {
                    token.text += line[i + 1];
                    i += 2;
                    continue;
                }
                if (line[i] == '"') {
                    closed = true;
                    ++i;
                    break;
                }
                token.text += line[i++];
            }
            if (!closed) {
                throw ParseError("unterminated quoted text");
            }
            if (i < n && line[i] != ' ' && line[i] != '\t' && line[i] != '\r' && line[i] != '\n' && line[i] != '#') {
                throw ParseError("a blank must follow the closing quote");
            }
        } else {
            // '#' starts a comment only at the start of a token ("TCSizeControl#1" is a word).
            while (i < n && line[i] != ' ' && line[i] != '\t' && line[i] != '\r' && line[i] != '\n') {
                if (line[i] == '"') {
                    throw ParseError("a quote inside a word; quote the whole token");
                }
                token.text += line[i++];
            }
        }
        tokens.push_back(token);
    }
    return tokens;
}

bool TryParseInt(const std::string& text, int64_t& value) {
    if (text.empty()) {
        return false;
    }
    size_t pos = 0;
    bool negative = false;
    if (text[0] == '-' || text[0] == '+') {
        negative = text[0] == '-';
        pos = 1;
    }
    int base = 10;
    if (text.size() > pos + 1 && text[pos] == '0' && (text[pos + 1] == 'x' || text[pos + 1] == 'X')) {
        base = 16;
        pos += 2;
    }
    if (pos >= text.size()) {
        return false;
    }
    const std::string digits = text.substr(pos);
    for (char c : digits) {
        const bool ok = base == 16 ? std::isxdigit(static_cast<unsigned char>(c)) != 0
                                   : (c >= '0' && c <= '9');
        if (!ok) {
            return false;
        }
    }
    errno = 0;
    const unsigned long long magnitude = std::strtoull(digits.c_str(), nullptr, base);
    if (errno == ERANGE || magnitude > 0x7fffffffffffffffULL) {
        return false;
    }
    value = negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude);
    return true;
}

int64_t ParseInt(const std::string& text, const char* what) {
    int64_t value = 0;
    if (!TryParseInt(text, value)) {
        throw ParseError(std::string("bad number '") + text + "' for " + what);
    }
    return value;
}

bool TryParseBool(const std::string& text, bool& value) {
    if (text == "true" || text == "1") {
        value = true;
        return true;
    }
    if (text == "false" || text == "0") {
        value = false;
        return true;
    }
    return false;
}

bool ParseBool(const std::string& text, const char* what) {
    bool value = false;
    if (!TryParseBool(text, value)) {
        throw ParseError(std::string("bad boolean '") + text + "' for " + what + " (true/false or 1/0)");
    }
    return value;
}

namespace {
bool TrySplitInts(const std::string& text, size_t count, std::vector<int64_t>& out) {
    out.clear();
    size_t start = 0;
    while (true) {
        const size_t comma = text.find(',', start);
        const std::string part = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        int64_t v = 0;
        if (!TryParseInt(part, v)) {
            return false;
        }
        out.push_back(v);
        if (comma == std::string::npos) {
            break;
        }
        start = comma + 1;
    }
    return out.size() == count;
}
}  // namespace

bool TryParseRect(const std::string& text, Rect& rect) {
    std::vector<int64_t> v;
    if (!TrySplitInts(text, 4, v)) {
        return false;
    }
    rect = Rect{static_cast<int>(v[0]), static_cast<int>(v[1]), static_cast<int>(v[2]), static_cast<int>(v[3])};
    return true;
}

Rect ParseRect(const std::string& text, const char* what) {
    Rect rect;
    if (!TryParseRect(text, rect)) {
        throw ParseError(std::string("bad rectangle '") + text + "' for " + what + " (x,y,width,height)");
    }
    return rect;
}

std::string FormatRect(int x, int y, int width, int height) {
    return std::to_string(x) + "," + std::to_string(y) + "," + std::to_string(width) + "," + std::to_string(height);
}

namespace {

// The comma-separated fields of a text, empty ones included.
std::vector<std::string> Fields(const std::string& text) {
    std::vector<std::string> fields;
    size_t start = 0;
    while (true) {
        const size_t comma = text.find(',', start);
        fields.push_back(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (comma == std::string::npos) {
            return fields;
        }
        start = comma + 1;
    }
}

}  // namespace

std::vector<std::string> SplitFields(const std::string& text, size_t count, const char* what, const char* form) {
    const std::vector<std::string> fields = Fields(text);
    if (fields.size() != count) {
        throw ParseError(std::string("bad value '") + text + "' for " + what + " (" + std::to_string(count) +
                         " comma-separated fields: " + form + ")");
    }
    return fields;
}

std::string JoinFields(std::initializer_list<long long> fields) {
    std::string out;
    for (long long f : fields) {
        out += (out.empty() ? "" : ",") + std::to_string(f);
    }
    return out;
}

namespace {

// One number or boolean in canonical form; the text itself otherwise.
std::string CanonicalScalar(const std::string& text) {
    int64_t n = 0;
    if (TryParseInt(text, n)) {
        return std::to_string(n);
    }
    if (text == "true") {
        return "1";
    }
    if (text == "false") {
        return "0";
    }
    return text;
}


}  // namespace

std::string Canonical(const std::string& text) {
    std::string out;
    for (const std::string& f : Fields(text)) {
        out += (out.empty() ? "" : ",") + CanonicalScalar(f);
    }
    return out;
}

bool Matches(const std::string& expected, const std::string& actual) {
    if (expected == "_") {
        return true;
    }
    const std::vector<std::string> want = Fields(expected);
    const std::vector<std::string> got = Fields(actual);
    if (want.size() != got.size()) {
        return false;
    }
    for (size_t i = 0; i < want.size(); ++i) {
        if (want[i] != "_" && CanonicalScalar(want[i]) != CanonicalScalar(got[i])) {
            return false;
        }
    }
    return true;
}

}  // namespace avctl

namespace avctl {

namespace {

// Length of the well-formed UTF-8 sequence starting at text[at] (2..4), or 0.
size_t Utf8Length(const std::string& text, size_t at) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    size_t n = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        n = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        n = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;   // no overlong forms
        high = lead == 0xED ? 0x9F : 0xBF;  // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        n = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (at + n > text.size() || byte(at + 1) < low || byte(at + 1) > high) {
        return 0;
    }
    for (size_t i = 2; i < n; ++i) {
        if (byte(at + i) < 0x80 || byte(at + i) > 0xBF) {
            return 0;
        }
    }
    return n;
}

}  // namespace

std::string Printable(const std::string& text) {
    static const char kDigits[] = "0123456789abcdef";
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c < 0x7F) {
            out += text[i++];
        } else if (const size_t n = c >= 0x80 ? Utf8Length(text, i) : 0) {
            out.append(text, i, n);
            i += n;
        } else {
            out += "\\x";
            out += kDigits[c >> 4];
            out += kDigits[c & 0x0F];
            ++i;
        }
    }
    return out;
}

std::string WithoutByteOrderMark(const std::string& line) {
    return line.compare(0, 3, "\xEF\xBB\xBF") == 0 ? line.substr(3) : line;
}

}  // namespace avctl
