#include "core/chat/CaseFold.h"

#include <unicode/uchar.h>
#include <unicode/uset.h>
#include <unicode/ustring.h>

#include <algorithm>
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

void AddFolding(FoldingsByFirst& table, char32_t c)
{
    char16_t units[2];
    const qsizetype length = QChar::requiresSurrogates(c) ? 2 : 1;
    if (length == 2) {
        units[0] = QChar::highSurrogate(c);
        units[1] = QChar::lowSurrogate(c);
    } else {
        units[0] = char16_t(c);
    }
    std::u32string folded = FoldedUtf16(units, length);
    if (folded.empty() || folded == std::u32string(1, c))
        return;
    auto& sources = table[folded.front()];
    if (std::find_if(sources.begin(), sources.end(), [c](const auto& source) { return source.first == c; }) ==
        sources.end())
        sources.emplace_back(c, std::move(folded));
}

const FoldingsByFirst& Foldings()
{
    static const FoldingsByFirst foldings = [] {
        FoldingsByFirst table;
        // Every character folding changes has a case mapping; Changes_When_Casefolded alone misses those already
        // folded in their decomposed form (ΐ).
        for (const UProperty property : {UCHAR_CHANGES_WHEN_CASEFOLDED, UCHAR_CHANGES_WHEN_CASEMAPPED}) {
            UErrorCode error = U_ZERO_ERROR;
            const USet* characters = u_getBinaryPropertySet(property, &error);
            for (int32_t range = 0; U_SUCCESS(error) && range < uset_getRangeCount(characters); ++range) {
                UChar32 first = 0;
                UChar32 last = 0;
                uset_getItem(characters, range, &first, &last, nullptr, 0, &error);
                for (UChar32 c = first; c <= last && U_SUCCESS(error); ++c)
                    AddFolding(table, char32_t(c));
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
