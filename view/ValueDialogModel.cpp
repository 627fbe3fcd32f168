#include "view/ValueDialogModel.h"

#include <charconv>
#include <cmath>

namespace vynui {

namespace {

// The window toolkit switches the C library to the person's locale; the
// dialog reads and writes numbers with a '.' whatever it is, so it formats
// and parses with <charconv> instead of printf and strtod.

std::string Fixed(double value, int decimals)
{
    char text[400];
    const std::to_chars_result r =
        std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    return r.ec == std::errc() ? std::string(text, r.ptr) : std::string();
}

std::string Integer(long long value)
{
    char text[32];
    const std::to_chars_result r = std::to_chars(text, text + sizeof text, value);
    return std::string(text, r.ptr);
}

/// The nearest integer a float bound or value stands for, kept within what
/// the edit can hold.
long long Rounded(float value)
{
    if (!std::isfinite(value)) return 0;
    const double limit = 9.0e15;
    return std::llround(std::fmax(-limit, std::fmin(limit, double(value))));
}

std::string Trimmed(const std::string& text)
{
    const char* blanks = " \t\r\n\f\v";
    const std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos) return std::string();
    const std::size_t last = text.find_last_not_of(blanks);
    return text.substr(first, last - first + 1);
}

/// from_chars takes a '-' but no '+'.
const char* SkipPlus(const std::string& text)
{
    const char* begin = text.c_str();
    if (text.size() > 1 && text[0] == '+' && text[1] != '-' && text[1] != '+') ++begin;
    return begin;
}

}  // namespace

std::string ValueDialogModel::RangeText() const
{
    if (m_request.integer)
        return Integer(Rounded(m_request.minimum)) + " to " + Integer(Rounded(m_request.maximum));
    return Fixed(m_request.minimum, 3) + " to " + Fixed(m_request.maximum, 3);
}

std::string ValueDialogModel::CurrentText() const
{
    if (!std::isfinite(m_request.current)) return std::string();
    if (m_request.integer) return Integer(Rounded(m_request.current));
    return Fixed(m_request.current, 5);
}

bool ValueDialogModel::Parse(const std::string& typed, float& value, std::string& refusal) const
{
    const std::string text = Trimmed(typed);
    const char* begin = SkipPlus(text);
    const char* end = text.c_str() + text.size();
    if (m_request.integer) {
        long long number = 0;
        const std::from_chars_result r = std::from_chars(begin, end, number, 10);
        if (text.empty() || r.ec != std::errc() || r.ptr != end) {
            refusal = "Please enter an integer.";
            return false;
        }
        if (double(number) < double(m_request.minimum) || double(number) > double(m_request.maximum)) {
            refusal = "Value " + Integer(number) + " is out of range";
            return false;
        }
        value = float(number);
        return true;
    }
    double number = 0.0;
    const std::from_chars_result r = std::from_chars(begin, end, number, std::chars_format::general);
    // Overflow and "inf" or "nan" are no numbers a range can hold.
    if (text.empty() || r.ec != std::errc() || r.ptr != end || !std::isfinite(number)) {
        refusal = "Please enter a number.";
        return false;
    }
    if (number < double(m_request.minimum) || number > double(m_request.maximum)) {
        refusal = "Value " + Fixed(number, 5) + " is out of range";
        return false;
    }
    value = float(number);
    // A bound given as a float may round the other way in single precision.
    value = std::fmin(std::fmax(value, m_request.minimum), m_request.maximum);
    return true;
}

}  // namespace vynui
