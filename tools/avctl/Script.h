// Scenario language: tokens and values.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <vector>

namespace avctl {

// A line that cannot be parsed; the message says why.
class ParseError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct Token {
    std::string text;
    bool quoted = false;
};

// Splits a line into blank-separated tokens; "..." keeps blanks, # starts a
// comment outside quotes. Throws ParseError on an unterminated quote.
std::vector<Token> Tokenize(const std::string& line);

// Decimal or 0x hexadecimal, optionally negative.
bool TryParseInt(const std::string& text, int64_t& value);
int64_t ParseInt(const std::string& text, const char* what);
// true/false or 1/0.
bool TryParseBool(const std::string& text, bool& value);
bool ParseBool(const std::string& text, const char* what);

struct Rect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};
// x,y,width,height without blanks.
bool TryParseRect(const std::string& text, Rect& rect);
Rect ParseRect(const std::string& text, const char* what);

// Exactly `count` comma-separated fields; `form` names them for the error.
std::vector<std::string> SplitFields(const std::string& text, size_t count, const char* what, const char* form);
// "a,b,c" with booleans as 1/0.
std::string JoinFields(std::initializer_list<long long> fields);

std::string FormatRect(int x, int y, int width, int height);

// Text safe to show on a terminal or in JSON: control bytes and bytes that
// are not part of well-formed UTF-8 become \xNN.
std::string Printable(const std::string& text);

// A line without the UTF-8 byte-order mark an editor may put before it.
std::string WithoutByteOrderMark(const std::string& line);

// The canonical text of a value written in a script, for comparisons:
// numbers in decimal, booleans as 1/0, comma-separated fields (rectangles,
// records) field by field, anything else as written.
std::string Canonical(const std::string& text);
// True when `expected` is "_" or both canonical texts are equal; in
// comma-separated fields a "_" field matches any field.
bool Matches(const std::string& expected, const std::string& actual);

}  // namespace avctl
