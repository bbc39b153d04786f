#define PCRE2_CODE_UNIT_WIDTH 16
#include "pickers/format_parser.h"

#include <memory>

#include <pcre2.h>

#include "core/exception.h"

namespace pickers {

namespace {

struct TCodeDeleter {
    void operator()(pcre2_code* c) const { pcre2_code_free(c); }
};
struct TMatchDeleter {
    void operator()(pcre2_match_data* m) const { pcre2_match_data_free(m); }
};

// Compiled once. No UTF mode: the pattern is ASCII and the format is matched
// code unit by code unit, so unpaired surrogates in a format are just text.
const pcre2_code* FormatPattern()
{
    static const std::unique_ptr<pcre2_code, TCodeDeleter> code = [] {
        static const char16_t pattern[] = u"(yyyy|yy|y)|(m{1,4})|(d{1,6})";
        int error = 0;
        PCRE2_SIZE offset = 0;
        pcre2_code* c = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern), PCRE2_ZERO_TERMINATED,
                                      PCRE2_CASELESS, &error, &offset, nullptr);
        if (!c)
            throw core::Exception(std::string_view("Date format pattern failed to compile"));
        return std::unique_ptr<pcre2_code, TCodeDeleter>(c);
    }();
    return code.get();
}

} // namespace

std::vector<TFormatToken> SplitDateFormat(std::u16string_view format)
{
    std::vector<TFormatToken> tokens;
    const pcre2_code* code = FormatPattern();
    std::unique_ptr<pcre2_match_data, TMatchDeleter> match(pcre2_match_data_create_from_pattern(code, nullptr));
    if (!match)
        throw core::EOutOfMemory(std::string_view("Out of memory"));
    const auto subject = reinterpret_cast<PCRE2_SPTR>(format.data());
    PCRE2_SIZE start = 0;
    while (start < format.size()) {
        const int rc = pcre2_match(code, subject, format.size(), start, PCRE2_NOTEMPTY, match.get(), nullptr);
        if (rc < 0) // PCRE2_ERROR_NOMATCH, or nothing more to find
            break;
        const PCRE2_SIZE* ov = pcre2_get_ovector_pointer(match.get());
        const std::u16string_view text = format.substr(ov[0], ov[1] - ov[0]);
        if (text.empty())
            break;
        const char16_t first = text[0] | 0x20;
        const TDatePart part = first == u'd' ? TDatePart::dpDay : first == u'm' ? TDatePart::dpMonth : TDatePart::dpYear;
        tokens.push_back({part, std::u16string(text)});
        start = ov[1];
    }
    return tokens;
}

} // namespace pickers
