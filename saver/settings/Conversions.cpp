#include "Conversions.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

namespace quillaro {
namespace {

// Digits beyond these cannot change a double; exponents beyond these over- or underflow.
constexpr std::size_t MaxSignificantDigits = 800;
constexpr long long ExponentLimit = 100000;
constexpr long long DoubleDecimalRange = 400;
constexpr double ExactIntegerLimit = 1e15;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isExponentMark(char c) {
    return c == 'e' || c == 'E' || c == 'd' || c == 'D';
}

// The parts of a decimal number as they were read; converted by one function so the lenient
// and the strict reader always agree on the value.
struct DecimalParts {
    bool negative = false;
    std::string integerDigits;
    std::string fractionDigits;
    bool exponentNegative = false;
    long long exponent = 0; // saturates at ExponentLimit
};

void addExponentDigit(DecimalParts& parts, char digit) {
    if (parts.exponent < ExponentLimit)
        parts.exponent = parts.exponent * 10 + (digit - '0');
}

std::optional<double> toDouble(const DecimalParts& parts) {
    // Significant digits D and a power P with value = 0.D x 10^P.
    std::string significant;
    long long power = 0;
    std::size_t first = parts.integerDigits.find_first_not_of('0');
    if (first != std::string::npos) {
        significant = parts.integerDigits.substr(first);
        power = static_cast<long long>(significant.size());
        significant += parts.fractionDigits;
    } else {
        std::size_t firstFraction = parts.fractionDigits.find_first_not_of('0');
        if (firstFraction == std::string::npos)
            return 0.0;
        significant = parts.fractionDigits.substr(firstFraction);
        power = -static_cast<long long>(firstFraction);
    }
    power += parts.exponentNegative ? -parts.exponent : parts.exponent;
    if (power > DoubleDecimalRange)
        return std::nullopt;
    if (power < -DoubleDecimalRange)
        return 0.0;
    if (significant.size() > MaxSignificantDigits)
        significant.resize(MaxSignificantDigits);

    std::string text = "0." + significant + "e" + std::to_string(power);
    double value = 0.0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error == std::errc::result_out_of_range) {
        if (power > 0)
            return std::nullopt;
        value = 0.0;
    } else if (error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return parts.negative ? -value : value;
}

template <typename Int> std::optional<Int> roundToIntegerType(double value) {
    if (std::isnan(value))
        return std::nullopt;
    double floor = std::floor(value);
    double fraction = value - floor;
    double rounded = floor;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(floor, 2.0) != 0.0))
        rounded = floor + 1.0;
    if (rounded < static_cast<double>(std::numeric_limits<Int>::min()) ||
        rounded > static_cast<double>(std::numeric_limits<Int>::max()))
        return std::nullopt;
    return static_cast<Int>(rounded);
}

} // namespace

std::optional<double> valueOf(std::string_view text) {
    enum class Stage { Sign, Integer, Fraction, ExponentSign, Exponent };
    DecimalParts parts;
    Stage stage = Stage::Sign;
    for (char c : text) {
        if (c == ' ' || c == '\t' || c == '\n')
            continue;
        if (stage == Stage::Sign && (c == '+' || c == '-')) {
            parts.negative = c == '-';
            stage = Stage::Integer;
        } else if ((stage == Stage::Sign || stage == Stage::Integer) && isDigit(c)) {
            parts.integerDigits += c;
            stage = Stage::Integer;
        } else if ((stage == Stage::Sign || stage == Stage::Integer) && c == '.') {
            stage = Stage::Fraction;
        } else if (stage == Stage::Fraction && isDigit(c)) {
            parts.fractionDigits += c;
        } else if ((stage == Stage::Integer || stage == Stage::Fraction) && isExponentMark(c)) {
            stage = Stage::ExponentSign;
        } else if (stage == Stage::ExponentSign && (c == '+' || c == '-')) {
            parts.exponentNegative = c == '-';
            stage = Stage::Exponent;
        } else if ((stage == Stage::ExponentSign || stage == Stage::Exponent) && isDigit(c)) {
            addExponentDigit(parts, c);
            stage = Stage::Exponent;
        } else {
            break;
        }
    }
    return toDouble(parts);
}

std::optional<double> parseNumber(std::string_view text) {
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);

    DecimalParts parts;
    std::size_t i = 0;
    auto at = [&](std::size_t n) { return n < text.size() ? text[n] : '\0'; };
    if (at(i) == '+' || at(i) == '-')
        parts.negative = text[i++] == '-';
    while (isDigit(at(i)))
        parts.integerDigits += text[i++];
    if (at(i) == '.') {
        ++i;
        while (isDigit(at(i)))
            parts.fractionDigits += text[i++];
    }
    if (parts.integerDigits.empty() && parts.fractionDigits.empty())
        return std::nullopt;
    if (isExponentMark(at(i))) {
        ++i;
        if (at(i) == '+' || at(i) == '-')
            parts.exponentNegative = text[i++] == '-';
        if (!isDigit(at(i)))
            return std::nullopt;
        while (isDigit(at(i)))
            addExponentDigit(parts, text[i++]);
    }
    if (i != text.size())
        return std::nullopt;
    return toDouble(parts);
}

std::optional<std::int16_t> roundToInt16(double value) {
    return roundToIntegerType<std::int16_t>(value);
}

std::optional<std::int32_t> roundToInt32(double value) {
    return roundToIntegerType<std::int32_t>(value);
}

double integerPart(double value) {
    return std::floor(value);
}

std::string wholeNumberText(double value) {
    // std::to_chars never looks at the locale, so the mark stays '.' whatever LC_NUMERIC says.
    char buffer[64];
    if (std::fabs(value) < ExactIntegerLimit) {
        auto end =
            std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 0).ptr;
        std::string text(buffer, end);
        return text == "-0" ? "0" : text;
    }
    // 15 significant digits, trailing zeros of the mantissa dropped: 1E+20, 1.5E+20.
    auto end =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 14).ptr;
    std::string text(buffer, end);
    std::size_t mark = text.find('e');
    std::string mantissa = text.substr(0, mark);
    while (mantissa.back() == '0')
        mantissa.pop_back();
    if (mantissa.back() == '.')
        mantissa.pop_back();
    return mantissa + "E" + text.substr(mark + 1);
}

} // namespace quillaro
