#include "platform/locale.h"

#include <map>
#include <memory>
#include <tuple>

#include <unicode/coll.h>
#include <unicode/locid.h>
#include <unicode/ucnv.h>
#include <unicode/unistr.h>

#include "core/exception.h"

namespace platform {

namespace {
std::string& DefaultLocale()
{
    static std::string l = "en-US";
    return l;
}

icu::Locale ToLocale(std::string_view name)
{
    std::string n(name.empty() ? DefaultLocale() : std::string(name));
    for (char& c : n)
        if (c == '-')
            c = '_';
    return icu::Locale(n.c_str());
}

icu::Collator& CollatorFor(std::string_view locale, unsigned flags)
{
    static std::map<std::tuple<std::string, unsigned>, std::unique_ptr<icu::Collator>> cache;
    const std::string key(locale.empty() ? DefaultLocale() : std::string(locale));
    auto& slot = cache[{key, flags}];
    if (!slot) {
        UErrorCode err = U_ZERO_ERROR;
        slot.reset(icu::Collator::createInstance(ToLocale(key), err));
        if (U_FAILURE(err) || !slot) {
            err = U_ZERO_ERROR;
            slot.reset(icu::Collator::createInstance(icu::Locale::getRoot(), err));
        }
        if (!slot)
            core::Raise<core::EInvalidOperation>("No collation is available for locale {}", key);
        if (flags & NORM_IGNORECASE)
            slot->setStrength(flags & NORM_IGNORENONSPACE ? icu::Collator::PRIMARY : icu::Collator::SECONDARY);
        else if (flags & NORM_IGNORENONSPACE)
            slot->setStrength(icu::Collator::PRIMARY);
    }
    return *slot;
}

std::string ConverterName(int codePage)
{
    switch (codePage) {
    case 65001: return "UTF-8";
    case 1200: return "UTF-16LE";
    case 20127: return "US-ASCII";
    case 28591: return "ISO-8859-1";
    case 437:
    case 850:
    case 852:
    case 866: return "ibm-" + std::to_string(codePage);
    default:
        if (codePage >= 874 && codePage <= 1258)
            return "windows-" + std::to_string(codePage);
        return {};
    }
}

struct Converter {
    UConverter* C = nullptr;
    explicit Converter(int codePage)
    {
        const std::string name = ConverterName(codePage);
        UErrorCode err = U_ZERO_ERROR;
        if (!name.empty())
            C = ucnv_open(name.c_str(), &err);
        if (U_FAILURE(err) || !C) {
            if (C)
                ucnv_close(C);
            C = nullptr;
            core::Raise<core::EConvertError>("Code page {} is not supported", codePage);
        }
        err = U_ZERO_ERROR;
        ucnv_setSubstChars(C, "?", 1, &err);
    }
    ~Converter() { ucnv_close(C); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
};
} // namespace

std::string GetUserDefaultLocaleName() { return DefaultLocale(); }
void SetUserDefaultLocaleName(std::string_view name) { DefaultLocale() = std::string(name); }

bool IsValidLocaleName(std::string_view name)
{
    if (name.empty())
        return false;
    const icu::Locale l = ToLocale(name);
    if (l.isBogus())
        return false;
    int32_t count = 0;
    const icu::Locale* all = icu::Locale::getAvailableLocales(count);
    for (int32_t i = 0; i < count; ++i)
        if (std::string_view(all[i].getLanguage()) == l.getLanguage())
            return true;
    return false;
}

int CompareStringLocale(std::u16string_view a, std::u16string_view b, unsigned flags, std::string_view locale)
{
    UErrorCode err = U_ZERO_ERROR;
    const UCollationResult r = CollatorFor(locale, flags & (NORM_IGNORECASE | NORM_IGNORENONSPACE))
                                   .compare(a.data(), static_cast<int32_t>(a.size()), b.data(),
                                            static_cast<int32_t>(b.size()), err);
    if (U_FAILURE(err))
        return a.compare(b) < 0 ? -1 : a.compare(b) > 0 ? 1 : 0;
    return r == UCOL_LESS ? -1 : r == UCOL_GREATER ? 1 : 0;
}

std::u16string LocaleUpperCase(std::u16string_view s, std::string_view locale)
{
    icu::UnicodeString u(s.data(), static_cast<int32_t>(s.size()));
    u.toUpper(ToLocale(locale));
    return std::u16string(u.getBuffer(), static_cast<size_t>(u.length()));
}

std::u16string LocaleLowerCase(std::u16string_view s, std::string_view locale)
{
    icu::UnicodeString u(s.data(), static_cast<int32_t>(s.size()));
    u.toLower(ToLocale(locale));
    return std::u16string(u.getBuffer(), static_cast<size_t>(u.length()));
}

std::string ToCodePage(std::u16string_view text, int codePage)
{
    Converter c(codePage);
    if (text.empty())
        return {};
    UErrorCode err = U_ZERO_ERROR;
    const int32_t need = ucnv_fromUChars(c.C, nullptr, 0, text.data(), static_cast<int32_t>(text.size()), &err);
    std::string out(static_cast<size_t>(need), '\0');
    err = U_ZERO_ERROR;
    ucnv_fromUChars(c.C, out.data(), need, text.data(), static_cast<int32_t>(text.size()), &err);
    if (U_FAILURE(err) && err != U_STRING_NOT_TERMINATED_WARNING)
        core::Raise<core::EConvertError>("Text cannot be converted to code page {}", codePage);
    return out;
}

std::u16string FromCodePage(std::string_view bytes, int codePage)
{
    Converter c(codePage);
    if (bytes.empty())
        return {};
    UErrorCode err = U_ZERO_ERROR;
    const int32_t need = ucnv_toUChars(c.C, nullptr, 0, bytes.data(), static_cast<int32_t>(bytes.size()), &err);
    std::u16string out(static_cast<size_t>(need), u'\0');
    err = U_ZERO_ERROR;
    ucnv_toUChars(c.C, out.data(), need, bytes.data(), static_cast<int32_t>(bytes.size()), &err);
    if (U_FAILURE(err) && err != U_STRING_NOT_TERMINATED_WARNING)
        core::Raise<core::EConvertError>("Bytes cannot be converted from code page {}", codePage);
    return out;
}

bool IsValidCodePage(int codePage)
{
    try {
        Converter c(codePage);
        return true;
    } catch (const core::EConvertError&) {
        return false;
    }
}

} // namespace platform
