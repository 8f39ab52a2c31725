#include "common/CaseFold.h"

#include <unicode/uchar.h>
#include <unicode/uset.h>
#include <unicode/ustring.h>

#include <unordered_map>
#include <utility>

namespace casefold {

namespace {
std::u32string CodePoints(const char16_t* text, qsizetype length)
{
    std::u32string points;
    points.reserve(size_t(length));
    for (qsizetype i = 0; i < length; ++i) {
        const char16_t unit = text[i];
        if (QChar::isHighSurrogate(unit) && i + 1 < length && QChar::isLowSurrogate(text[i + 1])) {
            points.push_back(QChar::surrogateToUcs4(unit, text[i + 1]));
            ++i;
        } else {
            points.push_back(unit);
        }
    }
    return points;
}

std::u32string FoldedUtf16(const char16_t* text, qsizetype length)
{
    // Full folding makes a text at most three times as long (ΐ becomes three code points).
    std::u16string folded(size_t(3 * length + 1), u'\0');
    UErrorCode error = U_ZERO_ERROR;
    const int32_t size =
        u_strFoldCase(folded.data(), int32_t(folded.size()), text, int32_t(length), U_FOLD_CASE_DEFAULT, &error);
    if (U_FAILURE(error))
        return CodePoints(text, length);
    return CodePoints(folded.data(), size);
}

// Each character that folding changes, under the first code point it folds to: about 1,500 of them, found once.
using FoldingsByFirst = std::unordered_map<char32_t, std::vector<std::pair<char32_t, std::u32string>>>;

const FoldingsByFirst& Foldings()
{
    static const FoldingsByFirst foldings = [] {
        FoldingsByFirst table;
        UErrorCode error = U_ZERO_ERROR;
        const USet* changing = u_getBinaryPropertySet(UCHAR_CHANGES_WHEN_CASEFOLDED, &error);
        if (U_FAILURE(error))
            return table;
        for (int32_t range = 0; range < uset_getRangeCount(changing); ++range) {
            UChar32 first = 0;
            UChar32 last = 0;
            uset_getItem(changing, range, &first, &last, nullptr, 0, &error);
            for (UChar32 c = first; c <= last && U_SUCCESS(error); ++c) {
                char16_t units[2];
                const qsizetype length = QChar::requiresSurrogates(char32_t(c)) ? 2 : 1;
                if (length == 2) {
                    units[0] = QChar::highSurrogate(char32_t(c));
                    units[1] = QChar::lowSurrogate(char32_t(c));
                } else {
                    units[0] = char16_t(c);
                }
                std::u32string folded = FoldedUtf16(units, length);
                if (!folded.empty())
                    table[folded.front()].emplace_back(char32_t(c), std::move(folded));
            }
        }
        return table;
    }();
    return foldings;
}
} // namespace

std::u32string Folded(QStringView text)
{
    return FoldedUtf16(text.utf16(), text.size());
}

std::vector<Source> SourcesOf(std::u32string_view folded)
{
    std::vector<Source> sources;
    if (folded.empty())
        return sources;
    sources.push_back(Source{folded.front(), 1});
    const auto found = Foldings().find(folded.front());
    if (found == Foldings().end())
        return sources;
    for (const auto& [character, folding] : found->second) {
        if (folded.substr(0, folding.size()) == folding)
            sources.push_back(Source{character, qsizetype(folding.size())});
    }
    return sources;
}

} // namespace casefold
